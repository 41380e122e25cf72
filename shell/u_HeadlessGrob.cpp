// --grob: any picture turned into a calculator picture exactly as Insert Grob's picture step turns
// it, written as a grob file (or a PNG image when OUT ends in .png).
#include "u_Headless.h"

#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_PictureConvert.h"
#include "u_PictureFiles.h"
#include "u_ResourceStrings.h"

#include <cstdio>
#include <optional>

namespace {
constexpr int ExitFailure = 1;

void PrintError(const QString &Text)
{
    std::fputs(qPrintable(Text + '\n'), stderr);
    std::fflush(stderr);
}

// A whole number from Low to High, a percent sign allowed after it when Percent is set.
std::optional<int> Number(QString Text, int Low, int High, bool Percent)
{
    if (Percent && Text.endsWith(u'%'))
        Text.chop(1);
    bool ok = false;
    const int value = Text.toInt(&ok);
    if (!ok || value < Low || value > High)
        return std::nullopt;
    return value;
}
} // namespace

int RunGrob(const TCommandLine &Line)
{
    if (!Line.Error.isEmpty())
        return UsageError(Line.Error);
    if (Line.Files.size() < 2)
        return UsageError(ResString(TResId::sCliMissingFiles).arg(QStringLiteral("--grob")));
    if (Line.Files.size() > 2)
        return UsageError(ResString(TResId::sCliUnknownArgument).arg(Line.Files[2]));

    TPictureConversion conversion;
    std::optional<int> width;
    if (const std::optional<QString> v = Line.Value(QStringLiteral("width"))) {
        width = Number(*v, 1, MaxPictureSide, false);
        if (!width)
            return UsageError(ResString(TResId::sCliBadValue).arg(QStringLiteral("--width"), *v));
    }
    if (const std::optional<QString> v = Line.Value(QStringLiteral("dither"))) {
        if (*v == QLatin1String("none"))
            conversion.Dither = TDither::None;
        else if (*v == QLatin1String("fs"))
            conversion.Dither = TDither::FloydSteinberg;
        else if (*v == QLatin1String("ordered"))
            conversion.Dither = TDither::Ordered;
        else
            return UsageError(ResString(TResId::sCliBadValue).arg(QStringLiteral("--dither"), *v));
    }
    if (const std::optional<QString> v = Line.Value(QStringLiteral("threshold"))) {
        const std::optional<int> threshold = Number(*v, 0, 100, true);
        // A threshold only means something without dithering.
        if (conversion.Dither != TDither::None)
            return UsageError(ResString(TResId::sCliUnknownArgument).arg(QStringLiteral("--threshold")));
        if (!threshold)
            return UsageError(ResString(TResId::sCliBadValue).arg(QStringLiteral("--threshold"), *v));
        conversion.Threshold = *threshold;
    }
    conversion.Invert = Line.IsSet(QStringLiteral("invert"));
    const QString in = Line.Files[0];
    const QString out = Line.Files[1];
    // The black-and-white result written over the picture would leave no way back to it.
    if (IsSameFile(in, out))
        return UsageError(ResString(TResId::sCliOutputIsInput).arg(QStringLiteral("--grob"), in));

    QImage source;
    try {
        source = ReadPictureFile(in);
    } catch (const EErrorLoading &e) {
        PrintError(ResString(TResId::serrorloadingpicture) + in + QLatin1Char('\n') + e.Reason());
        return ExitFailure;
    }
    conversion.Size = width ? PictureSizeForWidth(source.size(), *width) : DefaultPictureSize(source.size());
    const QImage picture = ConvertPicture(source, conversion);
    if (picture.isNull()) {
        PrintError(ResString(TResId::serrorloadingpicture) + in + QLatin1Char('\n') + ResString(TResId::sPictureTooLarge));
        return ExitFailure;
    }
    try {
        WritePictureFile(picture, out);
    } catch (const EErrorSaving &e) {
        PrintError(SavingFailureText(out, e));
        return ExitFailure;
    }
    return 0;
}
