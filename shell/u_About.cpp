#include "u_About.h"

#include "u_Icons.h"
#include "u_ResourceStrings.h"
#include "u_Translate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFAboutBox::TFAboutBox(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("FAboutBox"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto label = [this](const char *Name) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(Name));
        l->setWordWrap(true);
        return l;
    };
    ProgramIcon = label("ProgramIcon");
    ProgramIcon->setPixmap(::ProgramIcon().pixmap(64, 64));
    ProgramIcon->setAlignment(Qt::AlignTop);
    ProductName = label("ProductName");
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ProductName->setFont(big);
    Version = label("Version");
    Comments = label("Comments");
    Author = label("Author");
    Translator = label("Translator");
    Credits = label("Credits");
    for (QLabel *small : {Author, Translator, Credits})
        small->setStyleSheet(QStringLiteral("color: #555555;"));
    OKButton = new QPushButton(this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(6);
    for (QLabel *l : {ProductName, Version, Comments})
        texts->addWidget(l);
    texts->addSpacing(8);
    for (QLabel *l : {Author, Translator, Credits})
        texts->addWidget(l);
    auto *top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(ProgramIcon);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setFixedWidth(420);
    ApplyTexts();
}

void TFAboutBox::ApplyTexts()
{
    TranslateFAboutBox(this);
    ProductName->setText(ResString(TResId::sAppTitle));
    Version->setText(ResString(TResId::sAboutVersion));
    Comments->setText(ResString(TResId::sAboutDescription));
}
