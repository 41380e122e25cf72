#include "u_Options.h"

#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_THPEdit2.h"
#include "u_THPFontComboBox.h"
#include "u_Translate.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// Tab lengths of more than two digits make no sense on a 22- or 33-column screen.
constexpr int MaxTabLength = 99;

QLabel *NewLabel(QWidget *Parent, const char *Name)
{
    auto *label = new QLabel(Parent);
    label->setObjectName(QLatin1String(Name));
    return label;
}

QLineEdit *NewTabLengthEdit(QWidget *Parent, const char *Name)
{
    auto *edit = new QLineEdit(Parent);
    edit->setObjectName(QLatin1String(Name));
    // A tab stop every 0 columns means nothing: the field needs 1 to 99.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("0?[1-9]|[1-9][0-9]")), edit));
    edit->setMaxLength(2);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    return edit;
}

int StoredTabLength(const QString &Section)
{
    const int value = Settings ? Settings->ReadInteger(Section, SettingsKeys::TabLength, SettingsKeys::DefaultTabLength)
                               : SettingsKeys::DefaultTabLength;
    // The field holds 1 to 99; anything else stored shows the default.
    return value >= 1 && value <= MaxTabLength ? value : SettingsKeys::DefaultTabLength;
}

void ShowStoredFont(THPFontComboBox *Combo, const QString &Section, const QString &Name, const QString &Default)
{
    // A name the list does not hold leaves the selection as it was.
    Combo->SelectFont(Settings ? Settings->ReadString(Section, Name, Default) : Default);
}

void StoreFont(const THPFontComboBox *Combo, const QString &Section, const QString &Name)
{
    // With no font in the list there is no choice to store: the stored default stays.
    if (Settings && Combo->currentIndex() >= 0)
        Settings->WriteString(Section, Name, Combo->Text());
}
} // namespace

TFQuilloOptions::TFQuilloOptions(QWidget *Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FQuilloOptions"));
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    OngletXView = BuildXViewPage();
    OngletTgv = BuildTgvPage();
    OngletEden = BuildEdenPage();
    PageControl->addTab(OngletXView, QString());
    PageControl->addTab(OngletTgv, QString());
    PageControl->addTab(OngletEden, QString());

    OKBtn = new QPushButton(this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TFQuilloOptions::OKBtnClick);
    CancelBtn = new QPushButton(this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAutoDefault(false);
    connect(CancelBtn, &QPushButton::clicked, this, &TFQuilloOptions::CancelBtnClick);
    HelpBtn = new QPushButton(this);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    HelpBtn->setAutoDefault(false);
    connect(HelpBtn, &QPushButton::clicked, this, &TFQuilloOptions::HelpBtnClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    TranslateFQuilloOptions(this);
    // The dialog keeps its own title whatever table is in force.
    setWindowTitle(ResDefaultString(TResId::sFQuilloOptionsCaption));
}

QWidget *TFQuilloOptions::BuildXViewPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("OngletXView"));
    XvLabelTabLength = NewLabel(page, "XvLabelTabLength");
    XVeditTabLength = NewTabLengthEdit(page, "XVeditTabLength");
    XvLabelDefaultFont = NewLabel(page, "XvLabelDefaultFont");
    XvDefaultFontComboBox = THPFontComboBox::ForKind(page, "XvDefaultFontComboBox", gfkNormal);
    auto *form = new QFormLayout(page);
    form->addRow(XvLabelTabLength, XVeditTabLength);
    form->addRow(XvLabelDefaultFont, XvDefaultFontComboBox);
    return page;
}

QWidget *TFQuilloOptions::BuildTgvPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("OngletTgv"));
    TgvLabelNormal = NewLabel(page, "TgvLabelNormal");
    TgvFontNormale = THPFontComboBox::ForKind(page, "TgvFontNormale", gfkNormal);
    TgvLabelFnt1 = NewLabel(page, "TgvLabelFnt1");
    TgvFont1 = THPFontComboBox::ForKind(page, "TgvFont1", gfkNormal);
    TgvLabelMini = NewLabel(page, "TgvLabelMini");
    TgvFontIndiceExposant = THPFontComboBox::ForKind(page, "TgvFontIndiceExposant", gfkMini);
    TgvLabelTabLength = NewLabel(page, "TgvLabelTabLength");
    TgvEditTabLength = NewTabLengthEdit(page, "TgvEditTabLength");
    auto *form = new QFormLayout(page);
    form->addRow(TgvLabelNormal, TgvFontNormale);
    form->addRow(TgvLabelFnt1, TgvFont1);
    form->addRow(TgvLabelMini, TgvFontIndiceExposant);
    form->addRow(TgvLabelTabLength, TgvEditTabLength);
    return page;
}

QWidget *TFQuilloOptions::BuildEdenPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("OngletEden"));
    EdenLabelTabLength = NewLabel(page, "EdenLabelTabLength");
    EdenEditTabLength = NewTabLengthEdit(page, "EdenEditTabLength");
    EdenLabelDefaultFont = NewLabel(page, "EdenLabelDefaultFont");
    EdenDefaultFontComboBox = THPFontComboBox::ForKind(page, "EdenDefaultFontComboBox", gfkNormal);
    auto *form = new QFormLayout(page);
    form->addRow(EdenLabelTabLength, EdenEditTabLength);
    form->addRow(EdenLabelDefaultFont, EdenDefaultFontComboBox);
    return page;
}

int TFQuilloOptions::Execute(const THPEdit2 *Active)
{
    SetActiveKind(Active ? std::optional<TEditor>(Active->Editor()) : std::nullopt);
    return exec();
}

void TFQuilloOptions::showEvent(QShowEvent *Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TFQuilloOptions::FormShow()
{
    using namespace SettingsKeys;
    TgvEditTabLength->setText(QString::number(StoredTabLength(TgvSection)));
    XVeditTabLength->setText(QString::number(StoredTabLength(XViewSection)));
    EdenEditTabLength->setText(QString::number(StoredTabLength(EdenSection)));

    ShowStoredFont(XvDefaultFontComboBox, XViewSection, DefaultFont, DefaultXVFontName);
    ShowStoredFont(TgvFontNormale, TgvSection, DefaultNormalFont, DefaultTgvNormalFontName);
    ShowStoredFont(TgvFont1, TgvSection, DefaultFont1, DefaultTgvFont1Name);
    ShowStoredFont(TgvFontIndiceExposant, TgvSection, DefaultMiniFont, DefaultTgvMiniFontName);
    ShowStoredFont(EdenDefaultFontComboBox, EdenSection, DefaultFont, DefaultXVFontName);

    // The page of the active document's kind; an HP49 document has no page, and the last one stays.
    if (!FActiveKind || *FActiveKind == TEditor::Xview)
        PageControl->setCurrentWidget(OngletXView);
    else if (*FActiveKind == TEditor::Tgv)
        PageControl->setCurrentWidget(OngletTgv);
    else if (*FActiveKind == TEditor::Eden)
        PageControl->setCurrentWidget(OngletEden);
}

bool TFQuilloOptions::TabLengthsComplete()
{
    for (QLineEdit *edit : {TgvEditTabLength, XVeditTabLength, EdenEditTabLength}) {
        if (edit->hasAcceptableInput())
            continue;
        PageControl->setCurrentWidget(edit->parentWidget());
        edit->setFocus();
        edit->selectAll();
        const QString text = ResString(TResId::sTabLengthNeedsDigits);
        if (ShowWarning)
            ShowWarning(text);
        else
            QMessageBox::warning(this, ResString(TResId::sAppTitle), text);
        return false;
    }
    return true;
}

void TFQuilloOptions::OKBtnClick()
{
    using namespace SettingsKeys;
    if (!TabLengthsComplete())
        return;
    auto apply = [this](TEditor Kind, const QString &Section, const QLineEdit *Edit) {
        const int value = Edit->text().toInt();
        if (SetTabLength)
            SetTabLength(Kind, value);
        if (Settings)
            Settings->WriteInteger(Section, TabLength, value);
    };
    apply(TEditor::Tgv, TgvSection, TgvEditTabLength);
    StoreFont(TgvFontNormale, TgvSection, DefaultNormalFont);
    StoreFont(TgvFont1, TgvSection, DefaultFont1);
    StoreFont(TgvFontIndiceExposant, TgvSection, DefaultMiniFont);
    apply(TEditor::Xview, XViewSection, XVeditTabLength);
    StoreFont(XvDefaultFontComboBox, XViewSection, DefaultFont);
    apply(TEditor::Eden, EdenSection, EdenEditTabLength);
    StoreFont(EdenDefaultFontComboBox, EdenSection, DefaultFont);
    accept();
}

void TFQuilloOptions::CancelBtnClick()
{
    reject();
}

void TFQuilloOptions::HelpBtnClick()
{
    if (ShowHelp)
        ShowHelp(HelpContext);
}

void TFQuilloOptions::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_F1) {
        HelpBtnClick();
        return;
    }
    QDialog::keyPressEvent(Event);
}
