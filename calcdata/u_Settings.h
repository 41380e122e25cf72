#pragma once
// The per-user settings store. Every section, value name and default the program uses is spelled
// here and nowhere else; values are kept as text.
#include <QSettings>
#include <QString>
#include <memory>

class TSettings {
public:
    // Opens the store of organisation and application "Quillo". A path opens an INI file instead
    // (tests use a private file).
    TSettings();
    explicit TSettings(const QString &IniPath);

    int ReadInteger(const QString &Section, const QString &Name, int Default) const;
    QString ReadString(const QString &Section, const QString &Name, const QString &Default) const;
    bool ReadBool(const QString &Section, const QString &Name, bool Default) const;
    void WriteInteger(const QString &Section, const QString &Name, int Value);
    void WriteString(const QString &Section, const QString &Name, const QString &Value);
    void WriteBool(const QString &Section, const QString &Name, bool Value);
    bool ValueExists(const QString &Section, const QString &Name) const;
    // Deletes every value of Section; with no section, the values that stand directly in the store
    // (the sections themselves stay).
    void EraseSection(const QString &Section);
    void Flush() { FStore->sync(); }
    // A store that only reads: writes and erasures are dropped. A second instance that runs beside
    // the first one uses it, so that only one program ever writes the user's settings.
    void SetReadOnly(bool ReadOnly) { FReadOnly = ReadOnly; }
    bool ReadOnly() const { return FReadOnly; }

private:
    QString Key(const QString &Section, const QString &Name) const;
    std::unique_ptr<QSettings> FStore;
    bool FReadOnly = false;
};

// The program's one store, owned by a TGlobalScope in main(): opened at start-up before the main
// window and closed after it.
extern TSettings *Settings;

// Sections, value names and defaults.
namespace SettingsKeys {
inline const QString WindowSection = QStringLiteral("Height/Width");
inline const QString Height = QStringLiteral("Height");
inline const QString Width = QStringLiteral("Width");
inline const QString WindowState = QStringLiteral("WindowState");
constexpr int DefaultHeight = 475;
constexpr int DefaultWidth = 804;
constexpr int DefaultWindowState = 0;
// Window > Tabbed View: the documents shown as tabs rather than as windows.
inline const QString TabbedView = QStringLiteral("TabbedView");
constexpr bool DefaultTabbedView = false;

inline const QString XViewSection = QStringLiteral("XView");
inline const QString TgvSection = QStringLiteral("Tgv");
inline const QString EdenSection = QStringLiteral("Eden");
inline const QString HP49Section = QStringLiteral("HP49");
inline const QString TabLength = QStringLiteral("TabLength");
inline const QString DefaultFont = QStringLiteral("DefaultFont");
inline const QString DefaultNormalFont = QStringLiteral("DefaultNormalFont");
inline const QString DefaultFont1 = QStringLiteral("DefaultFont1");
inline const QString DefaultMiniFont = QStringLiteral("DefaultMiniFont");
inline const QString RightEdge = QStringLiteral("RightEdge");
constexpr int DefaultTabLength = 4;
constexpr int DefaultRightEdge = 22;
inline const QString DefaultXVFontName = QStringLiteral("XVDefault");
inline const QString DefaultTgvNormalFontName = QStringLiteral("tgvnormal");
inline const QString DefaultTgvFont1Name = QStringLiteral("tgvfnt1");
inline const QString DefaultTgvMiniFontName = QStringLiteral("tgvmini");

// The eight values of a toolbar's layout, in the section "<toolbar name><set>".
inline const QString DockedTo = QStringLiteral("DockedTo");
inline const QString DockRow = QStringLiteral("DockRow");
inline const QString DockPos = QStringLiteral("DockPos");
inline const QString FloatLeft = QStringLiteral("FloatLeft");
inline const QString FloatTop = QStringLiteral("FloatTop");
inline const QString ToolbarHeight = QStringLiteral("Height");
inline const QString ToolbarWidth = QStringLiteral("Width");
inline const QString Visible = QStringLiteral("Visible");
constexpr bool DefaultToolbarVisible = true;

inline const QString TransferSection = QStringLiteral("transfer");
inline const QString ComPort = QStringLiteral("comPort");
inline const QString Speed = QStringLiteral("speed");
inline const QString Calculator = QStringLiteral("calculator");
constexpr int DefaultComPort = 1;
constexpr int DefaultSpeed = 0;
constexpr int DefaultCalculator = 0;
// "COM n" stands for this device when the value "Device<n>" is present, else /dev/ttyS<n-1>.
inline QString DeviceValue(int Port) { return QStringLiteral("Device%1").arg(Port); }
// The device chosen among the serial devices found on the machine, remembered beside its list
// position in "comPort" (beyond the four numbered ports) because that list changes with what is
// plugged in.
inline const QString ComPortDevice = QStringLiteral("comPortDevice");
// The device last picked with "Other device…", offered again in the port list.
inline const QString OtherDevice = QStringLiteral("otherDevice");
// The document kind File > Receive from Calculator last opened a variable as: its row in the
// table of document kinds (TGV HP48, TGV HP49, XView, Eden, HP49); XView by default.
inline const QString ReceiveKind = QStringLiteral("receiveKind");
constexpr int DefaultReceiveKind = 2;
// The Kermit link: the block check offered (1, 2 or 3), how many times a packet goes out before
// the transfer fails, and whether runs of equal bytes are offered as repeat counts.
inline const QString BlockCheck = QStringLiteral("BlockCheck");
inline const QString Tries = QStringLiteral("Tries");
inline const QString RepeatCounts = QStringLiteral("RepeatCounts");
constexpr int DefaultBlockCheck = 3;
constexpr int DefaultTries = 10;
constexpr bool DefaultRepeatCounts = true;

inline const QString MRUSection = QStringLiteral("MRU Items");
inline QString MRUValue(int Index) { return QStringLiteral("F%1").arg(Index); }

// Directly in the store, outside any section: the folder shared by every file dialog. The dialogs
// name the place as a registry key path; this one is the store itself.
inline const QString NoSection;
inline const QString RootKeyPath = QStringLiteral("\\Software\\Quillo");
inline const QString OpenSavePath = QStringLiteral("OpenSavePath");
} // namespace SettingsKeys
