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

void TFormMdiEden::ApplyTexts()
{
    TranslateFormMdiEden(this);
}

void TFormMdiEden::AttrChanged(uint8_t Attr)
{
    TFormMdiHP::AttrChanged(Attr);
    FMain->Italic1ButtonEden->setChecked(Attr & stItalic);
}
