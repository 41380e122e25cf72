#pragma once
// The program's file dialogs: Qt's own (not the desktop's native) open and save dialogs, which start
// in a folder kept in the settings store and remember the folder of the file chosen there. Every
// dialog of the program uses the same value, so the next dialog, of whatever kind, opens where the
// user last was.
#include "u_FileTypesByName.h"

#include <QFileDialog>
#include <QStringList>
#include <functional>

// The section of the settings store that a registry-style key path names: the store's own key
// ("\Software\Quillo") is its root, a key below it a section; any other path is taken as a section
// name of its own.
QString SettingsSectionOfKey(const QString &KeyPath);

// Turns the program's filter text ("Grob files (*.grb)|*.grb|Bitmap files (*.bmp)|*.bmp") into the
// dialog's name filters. Patterns match without regard to case, as calculator files come with upper-
// and lower-case extensions alike; the description is shown as written. Each entry starts with its
// first pattern in plain lower case, because the save dialog takes the extension it gives a name
// from that first pattern: a case-blind pattern such as "*.[xX][vV]" must never end up in a name.
QStringList NameFiltersFromFilter(const QString &Filter);
// The extension (lower case, without the dot) each entry of the filter text gives a file name: that
// of its first pattern when it is a plain "*.ext", else empty.
QStringList ExtensionsFromFilter(const QString &Filter);

class TFileDialogRegistry : public QFileDialog {
    Q_OBJECT
public:
    // Where the folder is remembered: a key path and the value name within it. With an empty key
    // path the dialog remembers nothing.
    QString KeyPath() const { return FKeyPath; }
    void SetKeyPath(const QString &Value) { FKeyPath = Value; }
    QString valueName() const { return FvalueName; }
    void SetvalueName(const QString &Value) { FvalueName = Value; }

    // The filter in the program's "description|patterns|..." form, and the 1-based index of the
    // filter in force (updated after a confirmed choice).
    virtual void SetFilter(const QString &Filter);
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int Value) { FFilterIndex = Value; }
    // The extension, with or without its dot, given to a typed name that has none. While a save
    // dialog shows a filter with an extension of its own, that extension is given instead, so that
    // the name and the format the user picked agree.
    void SetDefaultExt(const QString &Value);
    QString DefaultExt() const { return defaultSuffix(); }
    // Before Execute: the name proposed (only its name part is used, so the dialog opens in the
    // remembered folder). After a confirmed Execute: the full path of the chosen file.
    QString FileName() const { return FFileName; }
    void SetFileName(const QString &Value) { FFileName = Value; }

    // Runs the dialog modally; true when the user confirmed a file.
    virtual bool Execute();

    // The help topic F1 shows while the dialog is open (0: none), and who shows it.
    int HelpContext = 0;
    std::function<void(int Context)> ShowHelp;

protected:
    // The window-text procedures set the properties "Filter" (the program's filter form) and
    // "Title" on the dialog by name; they take effect at once.
    bool event(QEvent *Event) override;
    TFileDialogRegistry(QWidget *Parent, QFileDialog::AcceptMode Mode);
    // Places Panel on the right of the standard controls, from 4 pixels below the top to the
    // bottom. Returns the holder that now owns Panel; deleting it takes the panel away again.
    QWidget *AddSidePanel(QWidget *Panel);

private:
    // The 0-based position of the filter in force, -1 without one.
    int CurrentFilterIndex() const;
    // Makes the extension of filter Index (0-based) the one a typed name without extension gets.
    void FollowFilter(int Index);

    QString FKeyPath;
    QString FvalueName;
    QString FFileName;
    int FFilterIndex = 1;
    int FPanelColumn = -1;
    QString FDefaultExt;
    QStringList FFilterExtensions;
    TFileTypesByName FFileTypes;
};
