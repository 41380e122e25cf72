#include "u_MDIEden.h"

#include "u_InterfBegin.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"

#include <QAction>

TFormMdiEden::TFormMdiEden(TFFormBegin *MainWindow)
    : TFormMdiHP(MainWindow, TEditor::Eden, QStringLiteral("HPEden1"))
{
    Italic = AddItem("Italic", stItalic);
    FEditor->OnRightEdgeChanged = [this] { HPEden1RightEdgeChanged(); };
}

QString TFormMdiEden::SettingsSection() const { return SettingsKeys::EdenSection; }

void TFormMdiEden::ReadKindSettings()
{
    FEditor->SetDefaultFontEden(
        Settings->ReadString(SettingsKeys::EdenSection, SettingsKeys::DefaultFont, SettingsKeys::DefaultXVFontName));
}

void TFormMdiEden::ApplyTexts()
{
    SetItemTexts(Cut, TResId::sFormMdiEdenCut_Caption, TResId::sFormMdiEdenCut_ShortCut);
    SetItemTexts(Copy, TResId::sFormMdiEdenCopy_Caption, TResId::sFormMdiEdenCopy_ShortCut);
    SetItemTexts(Paste, TResId::sFormMdiEdenPaste_Caption, TResId::sFormMdiEdenPaste_ShortCut);
    SetItemTexts(Bold, TResId::sFormMdiEdenBold_Caption, TResId::sFormMdiEdenBold_ShortCut);
    SetItemTexts(Reverse, TResId::sFormMdiEdenReverse_Caption, TResId::sFormMdiEdenReverse_ShortCut);
    SetItemTexts(Underline, TResId::sFormMdiEdenUnderline_Caption, TResId::sFormMdiEdenUnderline_ShortCut);
    SetItemTexts(Italic, TResId::sFormMdiEdenItalic_Caption, TResId::sFormMdiEdenItalic_ShortCut);
}

void TFormMdiEden::AttrChanged(uint8_t Attr)
{
    TFormMdiHP::AttrChanged(Attr);
    FMain->Italic1ButtonEden->setChecked(Attr & stItalic);
}
