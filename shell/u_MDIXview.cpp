#include "u_MDIXview.h"

#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_Translate.h"

TFormMdiXView::TFormMdiXView(TFFormBegin *MainWindow)
    : TFormMdiHP(MainWindow, TEditor::Xview, QStringLiteral("HPXView1"))
{
    FEditor->OnRightEdgeChanged = [this] { HPXView1RightEdgeChanged(); };
}

void TFormMdiXView::ApplyTexts()
{
    TranslateFormMdiXView(this);
}
