#pragma once
// The three file dialogs with a panel of their own on the right of the standard controls: the
// picture dialog with its preview, and the save dialogs of TGV and of text-form documents with the
// options written into the document.
#include "u_OpenDialogRegistry.h"
#include "u_SaveDialogRegistry.h"

#include <QImage>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// The black-and-white picture of a ".grb" file (the extension in any case) or of any picture the
// image plug-ins read, as it would be inserted: a black-and-white picture as it stands, any other
// as the picture step first proposes it. A null image for a folder or a file that cannot be read.
QImage LoadGrobPreview(const QString &FileName);

// Opens a picture to insert into a TGV document, previewing the file under the selection.
class THPOpenGrobDialog : public TOpenDialogRegistry {
    Q_OBJECT
public:
    explicit THPOpenGrobDialog(QWidget *Parent = nullptr);

    // What the dialog does when the file under the selection changes: previews it, unless it is the
    // file already previewed.
    void SelectionChange(const QString &FileName);
    // Lists every picture format beside the grob files and bitmaps of Filter.
    void SetFilter(const QString &Filter) override;
    const QImage &Preview() const { return FPreview; }
    QString LastFileName() const { return FLastFileName; }
    QWidget *PaintBox() const { return FPaintBox; }

    // Where a picture of ImageSize is drawn in a box of BoxSize: centred when it fits (the spare
    // room halved, rounded down), else at the top-left corner and clipped.
    static QPoint PreviewOrigin(QSize ImageSize, QSize BoxSize);

private:
    QImage FPreview;
    QString FLastFileName;
    QWidget *FPaintBox;
};

// Saves a TGV document and edits its menu character and whether its menu shows when it starts.
class THPSaveTgvDialog : public TSaveDialogRegistry {
    Q_OBJECT
public:
    explicit THPSaveTgvDialog(QWidget *Parent = nullptr);

    // The menu character as a calculator code; '*' stands for none. Whatever the user left in the
    // panel is kept when the dialog closes, confirmed or not; callers set both before each use and
    // read them after a confirmed one.
    uint8_t MenuChar() const { return FMenuChar; }
    void SetMenuChar(uint8_t Value) { FMenuChar = Value; }
    bool MenuWhenStarted() const { return FMenuWhenStarted; }
    void SetMenuWhenStarted(bool Value) { FMenuWhenStarted = Value; }

    bool Execute() override;

protected:
    void done(int Result) override;

private:
    uint8_t FMenuChar = '*';
    bool FMenuWhenStarted = false;
    QGroupBox *FGroupBox;
    QCheckBox *FCheckBox;
    QLabel *FLabelChar;
    QLineEdit *FEditChar;
};

// Saves an XView, Eden or HP49 document and edits the calculator program that is to open it.
class THPSaveXVEdenDialog : public TSaveDialogRegistry {
    Q_OBJECT
public:
    explicit THPSaveXVEdenDialog(QWidget *Parent = nullptr);

    // The program's name, and whether the document names one at all. The panel changes them as
    // the user works, so they hold the user's last choice even after a cancelled dialog.
    QString executeWith() const { return FexecuteWith; }
    void SetexecuteWith(const QString &Value) { FexecuteWith = Value; }
    bool willExecute() const { return FwillExecute; }
    void SetwillExecute(bool Value) { FwillExecute = Value; }

    // Builds the panel, runs the dialog and takes the panel away again.
    bool Execute() override;
    // The panel's group box while Execute runs, else null.
    QGroupBox *GroupBox() const { return FGroupBox; }

    // The longest program name the panel accepts.
    static constexpr int MaxProgramName = 10;

private:
    QString FexecuteWith = QStringLiteral("XV");
    bool FwillExecute = true;
    QGroupBox *FGroupBox = nullptr;
};
