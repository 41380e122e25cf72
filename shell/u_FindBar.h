#pragma once
// TFindBar: the find and replace bar at the bottom of a document window. The search text is typed
// in Unicode and looked for as calculator codes; Enter finds the next match, Shift+Enter the
// previous one, Escape (wherever the focus is in the bar) closes the bar and gives the focus back
// to the editor.
#include <QWidget>

#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class THPEdit2;

class TFindBar : public QWidget {
    Q_OBJECT
public:
    TFindBar(THPEdit2 *Editor, QWidget *Parent = nullptr);

    // Shows the bar with the editor's selection (one line) as the search text, the replace row
    // when Replace is set, and puts the focus in the search field.
    void Open(bool Replace);
    void Close();
    // The bar's commands; each tells the user through the editor's notes what happened.
    bool FindNext(bool Backward);
    bool ReplaceOne();
    int ReplaceAll();

    QLineEdit *FindEdit = nullptr;
    QLineEdit *ReplaceEdit = nullptr;
    QCheckBox *MatchCase = nullptr;
    QCheckBox *WholeWords = nullptr;
    QPushButton *NextButton = nullptr;
    QPushButton *PreviousButton = nullptr;
    QPushButton *ReplaceButton = nullptr;
    QPushButton *ReplaceAllButton = nullptr;
    QToolButton *CloseButton = nullptr;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    QByteArray Codes(const QString &Text) const;
    // The replace text as calculator codes; nothing, with the user told, when the document cannot
    // hold one of its characters.
    std::optional<QByteArray> ReplacementCodes();
    void ClearNote();
    void ShowFound(bool Found);
    THPEdit2 *FEditor;
};
