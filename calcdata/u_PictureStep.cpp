#include "u_PictureStep.h"

#include "u_ResourceStrings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// The editor draws every calculator pixel as 2 × 2 screen pixels.
constexpr int Zoom = 2;

template <class T>
T *Named(T *Widget, const char *Name)
{
    Widget->setObjectName(QLatin1String(Name));
    return Widget;
}
} // namespace

TFPictureStep::TFPictureStep(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("PictureStep"));
    setWindowTitle(ResString(TResId::sPictureStepTitle));

    FOriginal = Named(new QLabel(this), "OriginalLabel");

    auto *sizeGroup = new QGroupBox(ResString(TResId::sPictureStepSize), this);
    auto *sizeForm = new QFormLayout(sizeGroup);
    FWidthEdit = Named(new QSpinBox(sizeGroup), "WidthEdit");
    FHeightEdit = Named(new QSpinBox(sizeGroup), "HeightEdit");
    for (QSpinBox *edit : {FWidthEdit, FHeightEdit})
        edit->setRange(1, MaxPictureSide);
    sizeForm->addRow(ResString(TResId::sPictureStepWidth), FWidthEdit);
    sizeForm->addRow(ResString(TResId::sPictureStepHeight), FHeightEdit);
    FKeepAspect = Named(new QCheckBox(ResString(TResId::sPictureStepKeepAspect), sizeGroup), "KeepAspect");
    FKeepAspect->setChecked(true);
    sizeForm->addRow(FKeepAspect);

    auto *shadeGroup = new QGroupBox(ResString(TResId::sPictureStepShades), this);
    auto *shades = new QVBoxLayout(shadeGroup);
    FThresholdButton = Named(new QRadioButton(ResString(TResId::sPictureStepThreshold), shadeGroup), "ThresholdButton");
    FThresholdButton->setChecked(true);
    auto *thresholdRow = new QHBoxLayout;
    FThresholdSlider = Named(new QSlider(Qt::Horizontal, shadeGroup), "ThresholdSlider");
    FThresholdSlider->setRange(0, 100);
    FThresholdSlider->setValue(50);
    FThresholdValue = Named(new QLabel(shadeGroup), "ThresholdValue");
    FThresholdValue->setMinimumWidth(FThresholdValue->fontMetrics().horizontalAdvance(ResString(TResId::sPictureStepPercent).arg(100)));
    thresholdRow->addSpacing(20);
    thresholdRow->addWidget(FThresholdSlider, 1);
    thresholdRow->addWidget(FThresholdValue);
    FFloydButton = Named(new QRadioButton(ResString(TResId::sPictureStepFloyd), shadeGroup), "FloydButton");
    FOrderedButton = Named(new QRadioButton(ResString(TResId::sPictureStepOrdered), shadeGroup), "OrderedButton");
    FInvert = Named(new QCheckBox(ResString(TResId::sPictureStepInvert), shadeGroup), "InvertBox");
    shades->addWidget(FThresholdButton);
    shades->addLayout(thresholdRow);
    shades->addWidget(FFloydButton);
    shades->addWidget(FOrderedButton);
    shades->addSpacing(6);
    shades->addWidget(FInvert);

    auto *controls = new QVBoxLayout;
    controls->addWidget(FOriginal);
    controls->addWidget(sizeGroup);
    controls->addWidget(shadeGroup);
    controls->addStretch(1);

    FPreview = Named(new QLabel, "Preview");
    FPreview->setAlignment(Qt::AlignCenter);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(FPreview);
    scroll->setWidgetResizable(true);
    scroll->setMinimumSize(CalculatorScreenWidth * Zoom + 40, 240);
    // The panel's colour round the picture shows where its white paper ends.
    scroll->setBackgroundRole(QPalette::Dark);
    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(new QLabel(ResString(TResId::sPictureStepPreview), this));
    previewColumn->addWidget(scroll, 1);

    auto *columns = new QHBoxLayout;
    columns->addLayout(controls);
    columns->addLayout(previewColumn, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *page = new QVBoxLayout(this);
    page->addLayout(columns, 1);
    page->addWidget(buttons);

    connect(FWidthEdit, &QSpinBox::valueChanged, this, &TFPictureStep::WidthChanged);
    connect(FHeightEdit, &QSpinBox::valueChanged, this, &TFPictureStep::HeightChanged);
    connect(FKeepAspect, &QCheckBox::toggled, this, [this](bool Keep) {
        if (Keep)
            WidthChanged(FWidthEdit->value());
    });
    connect(FThresholdSlider, &QSlider::valueChanged, this, [this] {
        FThresholdButton->setChecked(true);
        Update();
    });
    for (QAbstractButton *button : std::initializer_list<QAbstractButton *>{FThresholdButton, FFloydButton, FOrderedButton, FInvert})
        connect(button, &QAbstractButton::toggled, this, &TFPictureStep::Update);
}

TPictureConversion TFPictureStep::Conversion() const
{
    TPictureConversion c;
    c.Size = QSize(FWidthEdit->value(), FHeightEdit->value());
    c.Dither = FFloydButton->isChecked() ? TDither::FloydSteinberg : FOrderedButton->isChecked() ? TDither::Ordered : TDither::None;
    c.Threshold = FThresholdSlider->value();
    c.Invert = FInvert->isChecked();
    return c;
}

void TFPictureStep::SetSource(const QImage &Source)
{
    FSource = Source;
    FOriginal->setText(ResString(TResId::sPictureStepOriginal).arg(Source.width()).arg(Source.height()));
    const QSize size = DefaultPictureSize(Source.size());
    FFollowing = true;
    FWidthEdit->setValue(size.width());
    FHeightEdit->setValue(size.height());
    FFollowing = false;
    Update();
}

bool TFPictureStep::Execute(const QImage &Source)
{
    SetSource(Source);
    FWidthEdit->setFocus();
    FWidthEdit->selectAll();
    const bool confirmed = exec() == QDialog::Accepted && !FPicture.isNull();
    // The photograph is not kept once the picture is made.
    FSource = QImage();
    return confirmed;
}

void TFPictureStep::WidthChanged(int Width)
{
    if (FFollowing)
        return;
    if (FKeepAspect->isChecked()) {
        const QSize size = PictureSizeForWidth(FSource.size(), Width);
        FFollowing = true;
        FHeightEdit->setValue(size.height());
        if (size.width() != Width)
            FWidthEdit->setValue(size.width());
        FFollowing = false;
    }
    Update();
}

void TFPictureStep::HeightChanged(int Height)
{
    if (FFollowing)
        return;
    if (FKeepAspect->isChecked()) {
        const QSize size = PictureSizeForHeight(FSource.size(), Height);
        FFollowing = true;
        FWidthEdit->setValue(size.width());
        if (size.height() != Height)
            FHeightEdit->setValue(size.height());
        FFollowing = false;
    }
    Update();
}

void TFPictureStep::Update()
{
    FThresholdValue->setText(ResString(TResId::sPictureStepPercent).arg(FThresholdSlider->value()));
    if (FFollowing || FSource.isNull())
        return;
    TPictureConversion c = Conversion();
    // Unlocked, the two sides are free, but the picture must still fit a grob.
    const QSize fitting = ClampPictureSize(c.Size);
    if (fitting != c.Size) {
        FFollowing = true;
        FHeightEdit->setValue(fitting.height());
        FFollowing = false;
        c.Size = fitting;
    }
    FPicture = ConvertPicture(FSource, c);
    FPreview->setPixmap(QPixmap::fromImage(FPicture.scaled(FPicture.size() * Zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}
