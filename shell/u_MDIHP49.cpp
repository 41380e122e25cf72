#include "u_MDIHP49.h"

#include "u_InterfBegin.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"

#include <QAction>

TFormMdiHP49::TFormMdiHP49(TFFormBegin *MainWindow)
    : TFormMdiHP(MainWindow, TEditor::Hp49, QStringLiteral("HPHP49"))
{
    Italic = AddItem("Italic", stItalic);
    FEditor->OnRightEdgeChanged = [this] { HPHP49RightEdgeChanged(); };
}

QString TFormMdiHP49::SettingsSection() const { return SettingsKeys::HP49Section; }

void TFormMdiHP49::ReadKindSettings()
{
    FEditor->SetDefaultFontHp49(
        Settings->ReadString(SettingsKeys::HP49Section, SettingsKeys::DefaultFont, SettingsKeys::DefaultXVFontName));
}

void TFormMdiHP49::ApplyTexts()
{
    SetItemTexts(Cut, TResId::sFormMdiHP49Cut_Caption, TResId::sFormMdiHP49Cut_ShortCut);
    SetItemTexts(Copy, TResId::sFormMdiHP49Copy_Caption, TResId::sFormMdiHP49Copy_ShortCut);
    SetItemTexts(Paste, TResId::sFormMdiHP49Paste_Caption, TResId::sFormMdiHP49Paste_ShortCut);
    SetItemTexts(Bold, TResId::sFormMdiHP49Bold_Caption, TResId::sFormMdiHP49Bold_ShortCut);
    SetItemTexts(Reverse, TResId::sFormMdiHP49Reverse_Caption, TResId::sFormMdiHP49Reverse_ShortCut);
    SetItemTexts(Underline, TResId::sFormMdiHP49Underline_Caption, TResId::sFormMdiHP49Underline_ShortCut);
    SetItemTexts(Italic, TResId::sFormMdiHP49Italic_Caption, TResId::sFormMdiHP49Italic_ShortCut);
}

void TFormMdiHP49::AttrChanged(uint8_t Attr)
{
    TFormMdiHP::AttrChanged(Attr);
    FMain->Italic1ButtonEden->setChecked(Attr & stItalic);
}
