#pragma once
// The TGV font choice dialog: the three fonts of the active TGV document — the normal font, font 1
// and the mini font used for superscript and subscript — chosen together. The default fonts of new
// documents are the options dialog's.
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class THPEdit2;
class THPFontComboBox;

class TFTGVFontChoice : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 14;
    explicit TFTGVFontChoice(QWidget *Parent = nullptr);

    // Shows the dialog modally for Editor, whose fonts Ok replaces.
    int Execute(THPEdit2 *Editor);
    // The editor of the next showing.
    void SetEditor(THPEdit2 *Editor) { FEditor = Editor; }

    void ButtonOkClick();
    void ButtonCancelClick();

    // A font file that cannot be read; when empty, a warning box.
    std::function<void(const QString &Text)> ShowWarning;
    // Shows a help topic by number (F1).
    std::function<void(int Context)> ShowHelp;

protected:
    void showEvent(QShowEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    void FormShow();

    THPEdit2 *FEditor = nullptr;

    QLabel *Label1;
    THPFontComboBox *FontNormale;
    QLabel *Label2;
    THPFontComboBox *Font1;
    QLabel *Label3;
    THPFontComboBox *FontIndiceExposant;
    QPushButton *ButtonCancel;
    QPushButton *ButtonOk;
};
