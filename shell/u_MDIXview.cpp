#include "u_MDIXview.h"

#include "u_ResourceStrings.h"
#include "u_Settings.h"

TFormMdiXView::TFormMdiXView(TFFormBegin *MainWindow)
    : TFormMdiHP(MainWindow, TEditor::Xview, QStringLiteral("HPXView1"))
{
    FEditor->OnRightEdgeChanged = [this] { HPXView1RightEdgeChanged(); };
}

QString TFormMdiXView::SettingsSection() const { return SettingsKeys::XViewSection; }

void TFormMdiXView::ReadKindSettings()
{
    FEditor->SetDefaultFontXView(
        Settings->ReadString(SettingsKeys::XViewSection, SettingsKeys::DefaultFont, SettingsKeys::DefaultXVFontName));
}

void TFormMdiXView::ApplyTexts()
{
    SetItemTexts(Cut, TResId::sFormMdiXViewCut_Caption, TResId::sFormMdiXViewCut_ShortCut);
    SetItemTexts(Copy, TResId::sFormMdiXViewCopy_Caption, TResId::sFormMdiXViewCopy_ShortCut);
    SetItemTexts(Paste, TResId::sFormMdiXViewPaste_Caption, TResId::sFormMdiXViewPaste_ShortCut);
    SetItemTexts(Bold, TResId::sFormMdiXViewBold_Caption, TResId::sFormMdiXViewBold_ShortCut);
    SetItemTexts(Reverse, TResId::sFormMdiXViewReverse_Caption, TResId::sFormMdiXViewReverse_ShortCut);
    SetItemTexts(Underline, TResId::sFormMdiXViewUnderline_Caption, TResId::sFormMdiXViewUnderline_ShortCut);
}
