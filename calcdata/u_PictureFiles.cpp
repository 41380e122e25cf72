#include "u_PictureFiles.h"

#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_PictureConvert.h"
#include "u_QuietImageIo.h"
#include "u_ResourceStrings.h"
#include "u_TGrob.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace {
// A photograph from a recent camera is larger than the image reader's default allowance.
constexpr int ImageAllocationLimitMB = 1024;

[[noreturn]] void FailLoading(const QString &Reason)
{
    throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile), Reason);
}

[[noreturn]] void FailSaving(const QString &Reason)
{
    throw EErrorSaving(ResString(TResId::sFileErrorwhilesaving), Reason);
}

bool IsGrobName(const QString &FileName)
{
    return QFileInfo(FileName).suffix().compare(QLatin1String("grb"), Qt::CaseInsensitive) == 0;
}

QImage ReadGrob(const QString &FileName)
{
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    try {
        grob->LoadFromFile(FileName);
    } catch (const EFileError &e) {
        FailLoading(e.Message());
    }
    // A file of another object type would give a picture of nonsense dimensions.
    if (!grob->IsGrobFile())
        FailLoading(ResString(TResId::sFileNotCalcObject));
    if (grob->FWidth <= 0 || grob->FHeight <= 0
        || grob->FileBytes().size() < GrobRowsOffset + qint64(grob->BytesPerRow()) * grob->FHeight)
        FailLoading(ResString(TResId::sFilePictureUnreadable));
    const QImage image = grob->ToBitmap();
    if (image.isNull())
        FailLoading(ResString(TResId::sFilePictureUnreadable));
    return image;
}
} // namespace

QImage ReadPictureFile(const QString &FileName)
{
    if (const QString problem = RegularFileProblem(FileName); !problem.isEmpty())
        FailLoading(problem);
    if (IsGrobName(FileName))
        return ReadGrob(FileName);
    const TQuietImageIo quiet;
    QImageReader::setAllocationLimit(ImageAllocationLimitMB);
    QImageReader reader(FileName);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        FailLoading(CannotReadReason(reader.errorString()));
    return image;
}

QString PictureFilter(const QString &GrobFilter)
{
    const QStringList parts = GrobFilter.split(u'|');
    QStringList patterns;
    for (qsizetype i = 1; i < parts.size(); i += 2)
        for (const QString &p : parts[i].split(u';', Qt::SkipEmptyParts))
            patterns << p.trimmed().toLower();
    QString each = GrobFilter;
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        const QString ext = QString::fromLatin1(format).toLower();
        const QString pattern = QLatin1String("*.") + ext;
        if (patterns.contains(pattern))
            continue;
        patterns << pattern;
        each += u'|' + ResString(TResId::sPictureFilterFormat).arg(ext.toUpper()) + u'|' + pattern;
    }
    return ResString(TResId::sPictureFilterAll) + u'|' + patterns.join(u';') + u'|' + each + u'|'
         + ResString(TResId::sPictureFilterAnyFile) + QLatin1String("|*");
}

QByteArray GrobFileBytes(const QImage &Picture)
{
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    grob->AssignBitmap(Picture);
    return grob->FileBytes();
}

void WritePictureFile(const QImage &Picture, const QString &FileName)
{
    if (Picture.isNull() || !PictureSizeFits(Picture.size()))
        FailSaving(ResString(TResId::sPictureTooLarge));
    QByteArray bytes;
    if (QFileInfo(FileName).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        // Black on white in one bit a pixel, as the calculator shows it.
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        const TQuietImageIo quiet;
        if (!writer.write(Picture.convertToFormat(QImage::Format_Mono, {qRgb(255, 255, 255), qRgb(0, 0, 0)}, Qt::ThresholdDither)))
            FailSaving(CannotWriteReason(writer.errorString()));
    } else {
        bytes = GrobFileBytes(Picture);
    }
    SaveFileWhole(FileName, bytes);
}
