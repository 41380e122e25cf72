#pragma once
// Puts the string table's texts into the program's windows. Each window calls its procedure once, from
// its constructor, after its components exist and before it is first shown; a document window calls
// it for every new window. The language cannot change while the program runs.
//
// How a window meets these procedures
// -----------------------------------
// A procedure finds each component by its objectName, searched among the window's descendants, nearest
// first (so a document window inside the main window never lends its components to the main window's
// texts). A component that does not exist is skipped without a word. The names are the ones used in
// the table's identifiers: sFFormBeginCut_Caption is the component "Cut" of the main window, with the
// property Caption. The about box's three credit texts go to the labels "Author", "Translator" and
// "Credits".
//
// What each property becomes, by the kind of the component:
//   Caption   the window's own title when the text is the form's; a QAction's text; a QMenu's title;
//             a button's or label's text; a QGroupBox's title; the tab text of a QTabWidget page; the
//             window title of a QToolBar, a QDockWidget or any other widget (their toggle actions and
//             floating frames show it).
//   Hint      toolTip and statusTip of a QAction or a widget.
//   ShortCut  the shortcut of a QAction or a button, converted from key names such as "Ctrl+X" or
//             "Ctrl+1"; a text that names no key gives no shortcut.
//   Filter, Title, SubmenuName, ClearItemName, RemoveObsoleteName
//             a dynamic property of that very name on the component ("Filter" holds a dialog filter in
//             the form "Description|*.XV;*.TGV|..."): the window reads it when it builds the file
//             dialog or the recent-files menu.
//
// The transfer dialog and the options dialog keep their own titles, "Transfer" and "Quillo options",
// whatever table is in force. Messages are not part of any window: fetch them with ResString at the
// moment they are shown.
#include <QKeySequence>
#include <QString>

class QObject;

void TranslateFFormBegin(QObject *Form);
void TranslateFAboutBox(QObject *Form);
void TranslateFormMdiTgv(QObject *Form);
void TranslateFormMdiXView(QObject *Form);
void TranslateFormMdiEden(QObject *Form);
void TranslateFormMdiHP49(QObject *Form);
void TranslateFQuilloOptions(QObject *Form);
void TranslateFTGVFontChoice(QObject *Form);
void TranslateFTransferForm(QObject *Form);
void TranslateFTransferingFile(QObject *Form);

// The key combination a shortcut text names ("Ctrl+X", "Shift+Ins", "Ctrl+PgDn"), or an empty one
// when the text names none.
QKeySequence ShortCutFromText(const QString &Text);
