#include "u_MDIEden.h"

#include "u_InterfBegin.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_Translate.h"

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
    TranslateFormMdiEden(this);
}

void TFormMdiEden::AttrChanged(uint8_t Attr)
{
    TFormMdiHP::AttrChanged(Attr);
    FMain->Italic1ButtonEden->setChecked(Attr & stItalic);
}
