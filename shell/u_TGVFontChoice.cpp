#include "u_TGVFontChoice.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"
#include "u_THPEdit2.h"
#include "u_THPFontComboBox.h"
#include "u_Translate.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel *NewLabel(QWidget *Parent, const char *Name)
{
    auto *label = new QLabel(Parent);
    label->setObjectName(QLatin1String(Name));
    return label;
}
} // namespace

TFTGVFontChoice::TFTGVFontChoice(QWidget *Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FTGVFontChoice"));
    Label1 = NewLabel(this, "Label1");
    FontNormale = THPFontComboBox::ForKind(this, "FontNormale", gfkNormal);
    Label2 = NewLabel(this, "Label2");
    Font1 = THPFontComboBox::ForKind(this, "Font1", gfkNormal);
    Label3 = NewLabel(this, "Label3");
    FontIndiceExposant = THPFontComboBox::ForKind(this, "FontIndiceExposant", gfkMini);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAutoDefault(false);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFTGVFontChoice::ButtonCancelClick);
    ButtonOk = new QPushButton(this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    connect(ButtonOk, &QPushButton::clicked, this, &TFTGVFontChoice::ButtonOkClick);

    auto *layout = new QVBoxLayout(this);
    for (auto [label, combo] : {std::pair<QLabel *, THPFontComboBox *>{Label1, FontNormale}, {Label2, Font1},
                                {Label3, FontIndiceExposant}}) {
        layout->addWidget(label);
        layout->addWidget(combo);
    }
    layout->addSpacing(8);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ButtonCancel);
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    TranslateFTGVFontChoice(this);
}

int TFTGVFontChoice::Execute(THPEdit2 *Editor)
{
    SetEditor(Editor);
    return exec();
}

void TFTGVFontChoice::showEvent(QShowEvent *Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TFTGVFontChoice::FormShow()
{
    if (!FEditor)
        return;
    // A name a list does not hold leaves its selection as it was.
    FontNormale->SelectFont(FEditor->FontNames(0));
    Font1->SelectFont(FEditor->FontNames(1));
    FontIndiceExposant->SelectFont(FEditor->FontNames(2));
}

void TFTGVFontChoice::ButtonOkClick()
{
    if (FEditor) {
        // A list without fonts offers no choice: that slot keeps its font.
        auto chosen = [this](const THPFontComboBox *Combo, int Slot) {
            return Combo->currentIndex() >= 0 ? Combo->Text() : FEditor->FontNames(Slot);
        };
        try {
            FEditor->ChangeFonts(chosen(FontNormale, 0), chosen(Font1, 1), chosen(FontIndiceExposant, 2));
        } catch (const EError &e) {
            if (ShowWarning)
                ShowWarning(e.Message());
            else
                QMessageBox::warning(this, ResString(TResId::sAppTitle), e.Message());
        }
    }
    accept();
}

void TFTGVFontChoice::ButtonCancelClick()
{
    reject();
}

void TFTGVFontChoice::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_F1 && ShowHelp) {
        ShowHelp(HelpContext);
        return;
    }
    QDialog::keyPressEvent(Event);
}
