#include "u_DialogsHP.h"

#include "u_FileChecks.h"
#include "u_PictureConvert.h"
#include "u_PictureFiles.h"
#include "u_QuietImageIo.h"
#include "u_ResourceStrings.h"
#include "u_TGrob.h"

#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// The room the panels take beside the standard controls.
constexpr int SidePanelWidth = 168;

// A grob whose file stops before its last row is taken as unreadable: its size fields are
// untrustworthy, and a picture that large would only be a block of blank rows.
bool GrobHoldsItsRows(const TGrob &Grob)
{
    if (Grob.FWidth <= 0 || Grob.FHeight <= 0)
        return false;
    return qint64(Grob.FData.size()) >= GrobRowsOffset + qint64(Grob.BytesPerRow()) * Grob.FHeight;
}

QImage Monochrome(const QImage &Source)
{
    if (Source.isNull())
        return {};
    const QImage rgb = Source.convertToFormat(QImage::Format_RGB32);
    QImage mono(rgb.size(), QImage::Format_Mono);
    if (mono.isNull())
        return {};
    mono.setColor(0, qRgb(255, 255, 255));
    mono.setColor(1, qRgb(0, 0, 0));
    mono.fill(0);
    // Bits are set directly (leftmost pixel in the high bit): a large photograph is previewed as
    // the selection moves, so this must stay quick.
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *bits = mono.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF)
                bits[x >> 3] |= uchar(0x80 >> (x & 7));
    }
    return mono;
}

class TGrobPaintBox : public QWidget {
public:
    TGrobPaintBox(const QImage &Image, QWidget *Parent) : QWidget(Parent), FImage(Image)
    {
        setObjectName(QStringLiteral("PaintBox"));
        // The panel's colour round a picture shows where its white pixels end.
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (FImage.isNull())
            return;
        QPainter p(this);
        p.drawImage(THPOpenGrobDialog::PreviewOrigin(FImage.size(), size()), FImage);
    }

private:
    const QImage &FImage;
};

QGroupBox *NewOptionsGroup(QWidget *Parent, TResId Caption)
{
    auto *group = new QGroupBox(ResString(Caption), Parent);
    group->setObjectName(QStringLiteral("GroupBox"));
    group->setFixedWidth(SidePanelWidth);
    return group;
}

// The options keep the panel's width unless a translation's longer texts need more.
void FitToTexts(QGroupBox *Group)
{
    // A row's size is remembered from before its texts were set.
    for (QLayout *layout : Group->findChildren<QLayout *>())
        layout->invalidate();
    Group->setFixedWidth(std::max(SidePanelWidth, Group->sizeHint().width()));
}

} // namespace

QImage LoadGrobPreview(const QString &FileName)
{
    const QFileInfo info(FileName);
    if (!RegularFileProblem(FileName).isEmpty() || !info.isReadable())
        return {};
    try {
        if (info.suffix().toUpper() == QLatin1String("GRB")) {
            auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
            grob->LoadFromFile(FileName);
            if (!GrobHoldsItsRows(*grob))
                return {};
            return Monochrome(grob->ToBitmap());
        }
        QImageReader reader(FileName);
        const TQuietImageIo quiet;
        const QImage image = reader.read();
        if (image.isNull())
            return {};
        // A black-and-white picture (transparent areas as paper) goes in as it is.
        return ConvertPicture(image, {IsCalculatorPicture(image) ? image.size() : DefaultPictureSize(image.size())});
    } catch (...) {
        // Whatever goes wrong with a candidate file, the preview just stays empty.
    }
    return {};
}

THPOpenGrobDialog::THPOpenGrobDialog(QWidget *Parent) : TOpenDialogRegistry(Parent)
{
    setObjectName(QStringLiteral("OpenGrobDialog"));

    auto *grobPanel = new QFrame;
    grobPanel->setObjectName(QStringLiteral("GrobPanel"));
    grobPanel->setFrameStyle(QFrame::NoFrame);
    grobPanel->setFixedWidth(SidePanelWidth);
    auto *column = new QVBoxLayout(grobPanel);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(0);

    auto *pictureLabel = new QLabel(grobPanel);
    pictureLabel->setObjectName(QStringLiteral("PictureLabel"));
    pictureLabel->setFixedHeight(23);
    column->addWidget(pictureLabel);

    auto *paintPanel = new QFrame(grobPanel);
    paintPanel->setObjectName(QStringLiteral("PaintPanel"));
    paintPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    paintPanel->setLineWidth(1);
    auto *inside = new QVBoxLayout(paintPanel);
    inside->setContentsMargins(1, 1, 1, 1);
    FPaintBox = new TGrobPaintBox(FPreview, paintPanel);
    inside->addWidget(FPaintBox);
    column->addWidget(paintPanel, 1);

    AddSidePanel(grobPanel);
    connect(this, &QFileDialog::currentChanged, this, &THPOpenGrobDialog::SelectionChange);
}

void THPOpenGrobDialog::SelectionChange(const QString &FileName)
{
    if (FileName == FLastFileName)
        return;
    FPreview = LoadGrobPreview(FileName);
    FLastFileName = FileName;
    FPaintBox->update();
}

void THPOpenGrobDialog::SetFilter(const QString &Filter)
{
    TOpenDialogRegistry::SetFilter(PictureFilter(Filter));
}

QPoint THPOpenGrobDialog::PreviewOrigin(QSize ImageSize, QSize BoxSize)
{
    if (ImageSize.width() <= BoxSize.width() && ImageSize.height() <= BoxSize.height())
        return {(BoxSize.width() - ImageSize.width()) / 2, (BoxSize.height() - ImageSize.height()) / 2};
    return {0, 0};
}

THPSaveTgvDialog::THPSaveTgvDialog(QWidget *Parent) : TSaveDialogRegistry(Parent)
{
    setObjectName(QStringLiteral("SaveDialogTgv"));

    FGroupBox = NewOptionsGroup(nullptr, TResId::sHPSaveTgvDialogGroupBoxCaption);
    auto *rows = new QVBoxLayout(FGroupBox);
    FCheckBox = new QCheckBox(FGroupBox);
    FCheckBox->setObjectName(QStringLiteral("CheckBox"));
    rows->addWidget(FCheckBox);

    auto *charRow = new QHBoxLayout;
    FLabelChar = new QLabel(FGroupBox);
    FLabelChar->setObjectName(QStringLiteral("LabelChar"));
    FEditChar = new QLineEdit(FGroupBox);
    FEditChar->setObjectName(QStringLiteral("EditChar"));
    FEditChar->setMaxLength(1);
    FEditChar->setFixedWidth(30);
    // The menu key is one calculator character: any printable code of the calculator's 8-bit set.
    FEditChar->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x{20}-\\x{FF}]?")), FEditChar));
    FLabelChar->setBuddy(FEditChar);
    charRow->addWidget(FLabelChar);
    charRow->addWidget(FEditChar);
    charRow->addStretch(1);
    rows->addLayout(charRow);
    rows->addStretch(1);

    AddSidePanel(FGroupBox);
}

bool THPSaveTgvDialog::Execute()
{
    FGroupBox->setTitle(ResString(TResId::sHPSaveTgvDialogGroupBoxCaption));
    FCheckBox->setText(ResString(TResId::sHPSaveTgvDialogCheckBoxCaption));
    FLabelChar->setText(ResString(TResId::sHPSaveTgvDialogLabelCharCaption));
    FEditChar->setText(QString(QChar(char16_t(FMenuChar))));
    FCheckBox->setChecked(FMenuWhenStarted);
    FitToTexts(FGroupBox);
    return TSaveDialogRegistry::Execute();
}

void THPSaveTgvDialog::done(int Result)
{
    const QString text = FEditChar->text();
    FMenuChar = text.isEmpty() || text.at(0).unicode() > 0xFF ? uint8_t('*') : uint8_t(text.at(0).unicode());
    FMenuWhenStarted = FCheckBox->isChecked();
    TSaveDialogRegistry::done(Result);
}

THPSaveXVEdenDialog::THPSaveXVEdenDialog(QWidget *Parent) : TSaveDialogRegistry(Parent)
{
    setObjectName(QStringLiteral("SaveDialogXVEden"));
}

bool THPSaveXVEdenDialog::Execute()
{
    FGroupBox = NewOptionsGroup(nullptr, TResId::sHPSaveXVEdenDialogGroupBoxCaption);
    auto *rows = new QVBoxLayout(FGroupBox);
    auto *checkBox = new QCheckBox(ResString(TResId::sHPSaveXVEdenDialogCheckBoxCaption), FGroupBox);
    checkBox->setObjectName(QStringLiteral("CheckBox"));
    checkBox->setChecked(FwillExecute);
    rows->addWidget(checkBox);
    auto *editor = new QComboBox(FGroupBox);
    editor->setObjectName(QStringLiteral("Editor"));
    editor->setEditable(true);
    editor->setInsertPolicy(QComboBox::NoInsert);
    editor->setFixedWidth(100);
    editor->lineEdit()->setMaxLength(MaxProgramName);
    // A double quote would open a second string where the calculator expects the program.
    editor->lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^\"]*")), editor));
    // The calculator programs that show these documents.
    editor->addItems({QStringLiteral("XV"), QStringLiteral("EDEN")});
    editor->setEditText(FexecuteWith);
    editor->setEnabled(FwillExecute);
    rows->addWidget(editor);
    rows->addStretch(1);

    connect(checkBox, &QCheckBox::toggled, this, [this, editor](bool checked) {
        FwillExecute = checked;
        editor->setEnabled(checked);
    });
    connect(editor, &QComboBox::editTextChanged, this, [this](const QString &text) { FexecuteWith = text; });
    FitToTexts(FGroupBox);

    // The panel exists only while the dialog runs, on every way out.
    struct TPanelLifetime {
        QWidget *Holder;
        QGroupBox *&Group;
        ~TPanelLifetime()
        {
            delete Holder;
            Group = nullptr;
        }
    } lifetime{AddSidePanel(FGroupBox), FGroupBox};
    return TSaveDialogRegistry::Execute();
}
