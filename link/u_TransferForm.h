#pragma once
// The transfer dialog: a page of instructions for preparing the calculator, and the page where the
// user picks the port, the calculator model and the files to send — the active document's file and
// the calculator font files it uses. The sending itself is the progress window's.
#include "u_Transfering.h"

#include <QDialog>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

// Which font files travel with a document: three for a TGV document (normal font, font 1 and the
// mini font), one for an XView or Eden document, none for an HP49 string.
enum class TTransferFonts { None, One, Three };

// What the dialog needs of the active document; the main window fills it from the active editor.
struct TTransferDocument {
    QString Title; // the saved document's full path
    TTransferFonts Fonts = TTransferFonts::None;
    std::array<QString, 3> FontNames; // the editor's font slots 0 to 2
    QString SubDirFont;               // the editor's font folder, relative to the program's folder
};

// The port list both transfer directions show: "COM 1" to "COM 4", the serial devices found on
// the machine with their product names, the device last picked by hand, and "Other device…" last.
void FillPortList(QComboBox *Combo);
// The item of the port last used, -1 when it is no longer listed.
int StoredPortIndex(const QComboBox *Combo);
// The device of the item at Index; empty for no item and for "Other device…".
QString PortItemDevice(const QComboBox *Combo, int Index);
// Remembers the chosen item as the port to offer next time.
void StorePortChoice(const QComboBox *Combo);
// Asks for a device path, starting from Current; empty when the user gives up.
using TPickDevice = std::function<QString(const QString &Current)>;
// The user chose the item at Index of a port list filled with "Other device…": for that item,
// Pick asks for a device, which is remembered and selected; when the user gives up, the list
// goes back to Previous. Returns the item now chosen.
int ChoosePortItem(QComboBox *Combo, int Index, int Previous, const TPickDevice &Pick);
// A file dialog over /dev (or Current's folder) that lists device nodes.
QString PickDeviceNode(QWidget *Parent, const QString &Current);

class TFTransferForm : public QDialog {
    Q_OBJECT
public:
    // The help topic of this dialog.
    static constexpr int HelpContext = 10;

    // Translate and TranslateProgress put the texts of this dialog and of its progress window;
    // without them both take the built-in texts of the string table.
    explicit TFTransferForm(QWidget *Parent = nullptr, TTranslateProc Translate = nullptr,
                            TTranslateProc TranslateProgress = nullptr);

    // Shows the dialog modally for Document.
    int Execute(const TTransferDocument &Document);
    // The document the next showing lists.
    void SetDocument(const TTransferDocument &Document) { FDocument = Document; }

    void BtnNextClick();
    void btnTransferClick();

    // Failures of the transfer; when empty, a warning box titled with the program's name.
    TWarningProc ShowWarning;
    // Asks for a device path for "Other device…"; when empty, PickDeviceNode.
    TPickDevice PickDevice;
    // Shows a help topic by number (F1).
    std::function<void(int Context)> ShowHelp;

    // The progress window, created by the first transfer.
    TFTransferingFile *TransferingFile() const { return FTransferingFile; }
    bool Transferring() const { return FTransferring; }

protected:
    void showEvent(QShowEvent *Event) override;
    // A transfer in progress keeps the dialog open: it is stopped with the progress window's Cancel.
    void reject() override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    QWidget *BuildInstructionsPage();
    QWidget *BuildTransferPage();
    void ApplyBuiltInTexts();
    void FormShow();
    // The port list's last item was chosen: ask for a device and select it.
    void PortActivated(int Index);
    void FillFiles();
    // The device of the selected port; empty without a selection.
    QString SelectedDevice() const;
    void SetControlsEnabled(bool Enabled);

    TTransferDocument FDocument;
    TTranslateProc FTranslateProgress;
    TFTransferingFile *FTransferingFile = nullptr;
    bool FTransferring = false;
    int FLastPortIndex = -1;

    QTabWidget *PageControl;
    QWidget *OngletInstructions;
    QWidget *OngletTransfer;
    QLabel *lblLikeThis;
    QLabel *ImgTransfer;
    QLabel *LblDir;
    QLabel *ImgTransferDir;
    QLabel *lblPress;
    QLabel *imgToucheVerte;
    QLabel *lblThen;
    QLabel *ImgSwap;
    QLabel *lblPutServer;
    QLabel *lblNowSee;
    QLabel *ImgAwaiting;
    QLabel *lblyoucanNow;
    QPushButton *BtnNext;
    QLabel *LblCOM;
    QComboBox *cmbPort;
    QLabel *lblSpeed;
    QComboBox *cmbSpeed;
    QLabel *lblCalculator;
    QComboBox *cmbCalculator;
    QLabel *lblSelectFiles;
    QListWidget *ListBoxFiles;
    QPushButton *btnTransfer;
    QPushButton *btnCancel;
};
