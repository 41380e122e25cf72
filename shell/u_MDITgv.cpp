#include "u_MDITgv.h"

#include "u_InterfBegin.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_Translate.h"

#include <QAction>
#include <QMenu>

TFormMdiTgv::TFormMdiTgv(TFFormBegin *MainWindow) : TFormMdiHP(MainWindow, TEditor::Tgv, QStringLiteral("HPTgv1"))
{
    Italic = AddItem("Italic", stItalic);
    PopupMenu->addSeparator();
    NormalFont = AddItem("NormalFont", FontBits[0]);
    Font1 = AddItem("Font1", fsFont1);
    Superscript = AddItem("Superscript", fsSuperscript);
    Subscript = AddItem("Subscript", fsSubscript);
    PopupMenu->addSeparator();
    InsertGrob1 = PopupMenu->addAction(QString());
    InsertGrob1->setObjectName(QStringLiteral("InsertGrob1"));
    connect(InsertGrob1, &QAction::triggered, FMain, &TFFormBegin::InsertGrob_Click);
}

void TFormMdiTgv::ApplyTexts()
{
    TranslateFormMdiTgv(this);
}

void TFormMdiTgv::AttrChanged(uint8_t Attr)
{
    FMain->BoldButtonTgv->setChecked(Attr & stBold);
    FMain->InvertButtonTgv->setChecked(Attr & stReverse);
    FMain->UnderlineButtonTgv->setChecked(Attr & stUnderline);
    FMain->Italic1ButtonTgv->setChecked(Attr & stItalic);
    FMain->Italic2ButtonTgv->setChecked(Attr & stBackslant);
    const int role = (Attr & fsFont1) ? 1 : (Attr & fsSuperscript) ? 2 : (Attr & fsSubscript) ? 3 : 0;
    if (FMain->ComboChangeFontTgv->currentIndex() != role)
        FMain->ComboChangeFontTgv->setCurrentIndex(role);
}

void TFormMdiTgv::FontsChanged()
{
    FMain->TableCharsHPTgv->SetFont(FEditor->StyledFont(0), FEditor->FontNames(0));
    // The role combos show each role's name in the font the role draws with.
    const TResId names[] = {TResId::sFontRoleNormal, TResId::sFontRoleFont1, TResId::sFontRoleSuperscript,
                            TResId::sFontRoleSubscript};
    for (THPFontComboBox *combo : {FMain->ComboChangeTableFontTgv, FMain->ComboChangeFontTgv}) {
        combo->ClearFonts();
        for (int i = 0; i < 4; ++i)
            combo->Fonts.AddFont(FEditor->StyledFont(FontBits[i]), ResString(names[i]));
        combo->Fill();
    }
}
