#include "u_MDIHP49.h"

#include "u_InterfBegin.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_Translate.h"

#include <QAction>

TFormMdiHP49::TFormMdiHP49(TFFormBegin *MainWindow)
    : TFormMdiHP(MainWindow, TEditor::Hp49, QStringLiteral("HPHP49"))
{
    Italic = AddItem("Italic", stItalic);
    FEditor->OnRightEdgeChanged = [this] { HPHP49RightEdgeChanged(); };
}

void TFormMdiHP49::ApplyTexts()
{
    TranslateFormMdiHP49(this);
}

void TFormMdiHP49::AttrChanged(uint8_t Attr)
{
    TFormMdiHP::AttrChanged(Attr);
    FMain->Italic1ButtonEden->setChecked(Attr & stItalic);
}
