#pragma once
// TFormMdiHP: the document window, a child of the main window's document area that holds exactly
// one editor. It gives the editor its kind's settings, shows the document's title with a modified
// mark, offers the kind's context menu, keeps the main window's toolbars in step with the editor
// and asks before a modified document is closed. One subclass per document kind.
#include "u_ResourceStrings.h"
#include "u_THPEdit2.h"

#include <QMdiSubWindow>
#include <QString>

class QMenu;
class TFindBar;
class QAction;
class TFFormBegin;

class TFormMdiHP : public QMdiSubWindow {
    Q_OBJECT
public:
    TFormMdiHP(TFFormBegin *MainWindow, TEditor Kind, const QString &EditorName);

    virtual QString GetTitle() const { return FTitle; }
    virtual void SetTitle(const QString &Title);
    virtual THPEdit2 *GetEditor() const { return FEditor; }
    // The caption is the title, with "*" while the document has unsaved changes.
    virtual void UpdateCaption();
    // The help topic of this kind of window.
    virtual int HelpContext() const { return 12; }

    // Reads the kind's settings into the editor and starts an empty document. A default font
    // that cannot be read raises its error after the document was reset: the window stays usable.
    void FormCreate();
    // Closes the window without the save prompt (a document whose loading failed).
    void CloseDiscarding();
    // True from the moment the window agreed to close.
    bool Closing() const { return FClosing; }
    // The file name Save As offers while the document has no file: a received variable's name.
    QString ProposedName;

    // The context menu and its items (null where the kind has no such item).
    QMenu *PopupMenu = nullptr;
    QAction *Cut = nullptr;
    QAction *Copy = nullptr;
    QAction *Paste = nullptr;
    QAction *Bold = nullptr;
    QAction *Reverse = nullptr;
    QAction *Underline = nullptr;
    QAction *Italic = nullptr;
    QAction *NormalFont = nullptr;
    QAction *Font1 = nullptr;
    QAction *Superscript = nullptr;
    QAction *Subscript = nullptr;
    QAction *InsertGrob1 = nullptr;

    // The find and replace bar below the editor.
    TFindBar *FindBar = nullptr;
    void OpenFindBar(bool Replace);
    // F3 / Shift+F3: the next or previous match of the bar's text; the bar opens when it has none.
    void FindAgain(bool Backward);

    // Enables the clipboard items for the editor's state, as when the menu opens.
    void PopupMenuPopup();

protected:
    // Captions and shortcuts of the context menu from the string table.
    virtual void ApplyTexts() = 0;
    // What the main window's controls show after the editor's notifications.
    virtual void AttrChanged(uint8_t Attr);
    virtual void FontsChanged();
    // Builds the items every kind has; subclasses add theirs.
    QAction *AddItem(const char *Name, uint8_t StyleValue);
    // Writes the right edge back as the default of the kind and shows it in the right-edge box.
    void RightEdgeChanged();

    bool event(QEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void closeEvent(QCloseEvent *Event) override;

    TFFormBegin *FMain;
    THPEdit2 *FEditor;
    QString FTitle;
    // Where the context menu was last asked for, in the coordinates of the editor's view (a
    // request from the view's area carries those).
    QPoint FPopupPoint{-1, -1};

private:
    QAction *ShortcutItem(QKeyEvent *Key) const;
    bool FDiscard = false;
    bool FClosing = false;
};
