#include "u_MDIXview.h"

#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_Translate.h"

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
    TranslateFormMdiXView(this);
}
