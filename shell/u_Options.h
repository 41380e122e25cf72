#pragma once
// The options dialog: per document kind, the tab length of the editors and the default fonts of new
// documents. The values live in the settings store; tab lengths reach the open documents of their
// kind at once, default fonts only the documents created afterwards.
#include "u_EditorAttrs.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class THPEdit2;
class THPFontComboBox;

class TFQuilloOptions : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 17;
    explicit TFQuilloOptions(QWidget *Parent = nullptr);

    // Shows the dialog modally; Active is the active document's editor, null when none is open.
    int Execute(const THPEdit2 *Active);
    // The kind of the active document for the next showing; none when no document is open.
    void SetActiveKind(std::optional<TEditor> Kind) { FActiveKind = Kind; }

    void OKBtnClick();
    void CancelBtnClick();
    void HelpBtnClick();

    // Gives a tab length to every open editor of a kind.
    std::function<void(TEditor Kind, int Value)> SetTabLength;
    // Shows a help topic by number.
    std::function<void(int Context)> ShowHelp;
    // Tells the user why OK did not close the dialog; when empty, a warning box.
    std::function<void(const QString &Text)> ShowWarning;

protected:
    void showEvent(QShowEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    QWidget *BuildXViewPage();
    QWidget *BuildTgvPage();
    QWidget *BuildEdenPage();
    void FormShow();
    // False, with the field shown and focused, when a tab length is missing.
    bool TabLengthsComplete();

    std::optional<TEditor> FActiveKind;

    QTabWidget *PageControl;
    QWidget *OngletXView;
    QWidget *OngletTgv;
    QWidget *OngletEden;
    QLabel *XvLabelTabLength;
    QLineEdit *XVeditTabLength;
    QLabel *XvLabelDefaultFont;
    THPFontComboBox *XvDefaultFontComboBox;
    QLabel *TgvLabelNormal;
    THPFontComboBox *TgvFontNormale;
    QLabel *TgvLabelFnt1;
    THPFontComboBox *TgvFont1;
    QLabel *TgvLabelMini;
    THPFontComboBox *TgvFontIndiceExposant;
    QLabel *TgvLabelTabLength;
    QLineEdit *TgvEditTabLength;
    QLabel *EdenLabelTabLength;
    QLineEdit *EdenEditTabLength;
    QLabel *EdenLabelDefaultFont;
    THPFontComboBox *EdenDefaultFontComboBox;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    QPushButton *HelpBtn;
};
