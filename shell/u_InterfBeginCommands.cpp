// Commands that reach the active editor: the Edit and Tgv menus, the style, alignment and right-edge
// buttons, the font combos and the character tables.
#include "u_InterfBegin.h"

#include "u_CalcCharset.h"

#include "u_DialogsHP.h"
#include "u_Errors.h"
#include "u_FindBar.h"
#include "u_MDIHP.h"
#include "u_ResourceStrings.h"
#include "u_TGVFontChoice.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

void TFFormBegin::Edit_Click()
{
    const THPEdit2 *editor = ActiveEditor();
    Undo_->setEnabled(editor && editor->CanUndo());
    Redo_->setEnabled(editor && editor->CanRedo());
    Paste_->setEnabled(editor && editor->CanPaste());
    Cut_->setEnabled(editor && editor->Selected());
    Copy_->setEnabled(editor && editor->Selected());
    SelectAll_->setEnabled(editor != nullptr);
    for (QAction *item : {Find_, Replace_, Reflow_})
        item->setEnabled(editor != nullptr);
}

bool TFFormBegin::EditItemEnabled(QAction *Item)
{
    // The Edit menu's items are judged again before a shortcut acts; a closed menu keeps its items
    // enabled afterwards so that the next shortcut is judged too.
    Edit_Click();
    const bool enabled = Item->isEnabled();
    if (!Edit_->isVisible())
        for (QAction *item : {Undo_, Redo_, Cut_, Copy_, Paste_, SelectAll_})
            item->setEnabled(true);
    return enabled;
}

void TFFormBegin::Undo_Click()
{
    if (EditItemEnabled(Undo_))
        ActiveEditor()->Undo();
}

void TFFormBegin::Redo_Click()
{
    if (EditItemEnabled(Redo_))
        ActiveEditor()->Redo();
}

void TFFormBegin::Cut_Click()
{
    if (EditItemEnabled(Cut_))
        ActiveEditor()->CutToClipboard();
}

void TFFormBegin::Copy_Click()
{
    if (EditItemEnabled(Copy_))
        ActiveEditor()->CopyToClipboard();
}

void TFFormBegin::Paste_Click()
{
    if (EditItemEnabled(Paste_))
        ActiveEditor()->PasteFromClipboard();
}

void TFFormBegin::SelectAll_Click()
{
    if (EditItemEnabled(SelectAll_))
        ActiveEditor()->SelectRange(0, 1, -1, -1);
}

void TFFormBegin::BoldButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->ToggleStyle(stBold);
}

void TFFormBegin::InvertButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->ToggleStyle(stReverse);
}

void TFFormBegin::UnderlineButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->ToggleStyle(stUnderline);
}

void TFFormBegin::Italic1ButtonClick()
{
    // The two italics of TGV exclude each other on the toolbar.
    if (Italic1ButtonTgv->isChecked())
        Italic2ButtonTgv->setChecked(false);
    if (THPEdit2 *editor = ActiveEditor())
        editor->ToggleStyle(stItalic);
}

void TFFormBegin::Italic2ButtonClick()
{
    if (Italic2ButtonTgv->isChecked())
        Italic1ButtonTgv->setChecked(false);
    if (THPEdit2 *editor = ActiveEditor())
        editor->ToggleStyle(stBackslant);
}

void TFFormBegin::LeftButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->Justify(1);
}

void TFFormBegin::CenterButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->Justify(0);
}

void TFFormBegin::RightButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->Justify(2);
}

void TFFormBegin::Justify22Columns()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->Justify(3);
}

void TFFormBegin::RightEdge22ButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor()) {
        editor->SetRightEdge(22);
        RightEdgeEdit->setText(QString::number(editor->RightEdge()));
    }
}

void TFFormBegin::RightEdge33ButtonClick()
{
    if (THPEdit2 *editor = ActiveEditor()) {
        editor->SetRightEdge(33);
        RightEdgeEdit->setText(QString::number(editor->RightEdge()));
    }
}

void TFFormBegin::RightEdgeEditEnter()
{
    THPEdit2 *editor = ActiveEditor();
    if (!editor)
        return;
    bool isNumber = false;
    const int value = RightEdgeEdit->text().toInt(&isNumber);
    editor->SetRightEdge(isNumber ? value : editor->RightEdge());
    RightEdgeEdit->setText(QString::number(editor->RightEdge()));
}

void TFFormBegin::ComboFontsChangeXV()
{
    if (THPEdit2 *editor = ActiveEditor()) {
        editor->SetFonts(ComboFontsXVEden->Text(), QString(), QString());
        FocusEditor();
    }
}

void TFFormBegin::ComboChangeFontTgvClick()
{
    const int role = ComboChangeFontTgv->currentIndex();
    if (THPEdit2 *editor = ActiveEditor(); editor && role >= 0 && role < FontSlotCount) {
        editor->ToggleStyle(FontBits[role]);
        FocusEditor();
    }
}

void TFFormBegin::ComboTableFontTgvClick()
{
    const int role = ComboChangeTableFontTgv->currentIndex();
    if (THPEdit2 *editor = ActiveEditor(); editor && role >= 0 && role < FontSlotCount) {
        TableCharsHPTgv->SetFont(editor->StyledFont(FontBits[role]), editor->FontNames(role));
        FocusEditor();
    }
}

bool TFFormBegin::InsertCharInFindBar(int Code)
{
    // While the user types a search or its replacement, a character picked from the table belongs
    // there, not in the document.
    const TFormMdiHP *child = ActiveChild();
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (!child || !child->FindBar || !field || field->parentWidget() != child->FindBar)
        return false;
    const char32_t ch = UnicodeOfCode(uint8_t(Code));
    field->insert(QString::fromUcs4(&ch, 1));
    return true;
}

void TFFormBegin::InsertCharXV(int Code)
{
    if (InsertCharInFindBar(Code))
        return;
    if (THPEdit2 *editor = ActiveEditor()) {
        editor->InsertAtCaret(QByteArray(1, char(Code)), QByteArray(1, char(editor->CurrentAttr())));
        FocusEditor();
    }
}

void TFFormBegin::TableCharsHPTgvCellSelected(int Code)
{
    if (InsertCharInFindBar(Code))
        return;
    const int role = qBound(0, ComboChangeTableFontTgv->currentIndex(), FontSlotCount - 1);
    if (THPEdit2 *editor = ActiveEditor()) {
        editor->InsertAtCaret(QByteArray(1, char(Code)), QByteArray(1, char(FontBits[role])));
        FocusEditor();
    }
}

void TFFormBegin::TableCharsOverCell(int Code)
{
    QString hint = ResString(TResId::sCharCodeHint) + QString::number(Code);
    // Beside the code, the character the glyph stands for and its Unicode name (controls have none).
    const QString name = UnicodeNameOfCode(uint8_t(Code));
    if (Code >= 0 && Code < 256 && !name.isEmpty()) {
        const char32_t ch = UnicodeOfCode(uint8_t(Code));
        hint += QStringLiteral("   ") + QString::fromUcs4(&ch, 1) + QStringLiteral("  ") + name;
    }
    StatusPanel1->setText(hint);
}

void TFFormBegin::ChangeFonts_Click()
{
    THPEdit2 *editor = ActiveEditor();
    if (!editor || editor->Editor() != TEditor::Tgv)
        return;
    if (!FFontChoice) {
        FFontChoice = new TFTGVFontChoice(this);
        FFontChoice->ShowHelp = [this](int Context) { ShowHelpContext(Context); };
        FFontChoice->ShowWarning = [this](const QString &Text) { ShowWarning(Text); };
    }
    FFontChoice->Execute(editor);
}
