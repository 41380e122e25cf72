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
    SavePicture1 = PopupMenu->addAction(QString());
    SavePicture1->setObjectName(QStringLiteral("SavePicture1"));
    connect(SavePicture1, &QAction::triggered, this, [this] {
        const int line = PopupPictureLine();
        if (line >= 0)
            FMain->SavePicture(FEditor->PictureBitmap(line));
    });
    connect(PopupMenu, &QMenu::aboutToShow, this, [this] { SavePicture1->setVisible(PopupPictureLine() >= 0); });
    // A pasted image that is not black and white goes through the picture step first.
    FEditor->OnPictureToCalculator = [this](const QImage &Image) { return FMain->PictureToCalculator(Image); };
}

int TFormMdiTgv::PopupPictureLine() const
{
    if (FPopupPoint.y() >= 0) {
        const int line = FEditor->LineAtY(FPopupPoint.y() + FEditor->ScrollY());
        if (FEditor->PictureOfLine(line))
            return line;
    }
    return FEditor->PictureOfLine(FEditor->CaretLine()) ? FEditor->CaretLine() : -1;
}

void TFormMdiTgv::ApplyTexts()
{
    TranslateFormMdiTgv(this);
    SavePicture1->setText(ResString(TResId::sFormMdiTgvSavePicture1Caption));
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
