#include "u_PictureConvert.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
int RoundedRatio(qint64 Value, qint64 Numerator, qint64 Denominator)
{
    return int((Value * Numerator * 2 + Denominator) / (Denominator * 2));
}

// The grey level (0 black … 255 white) of each calculator pixel: the source pixels it covers
// averaged, each laid on white paper by its alpha. Inverting happens before the paper is laid,
// so transparent areas stay white either way.
std::vector<uint8_t> GreyLevels(const QImage &Source, QSize Size, bool Invert)
{
    QImage argb = Source;
    const QImage::Format format = Source.format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 && format != QImage::Format_ARGB32_Premultiplied)
        argb = Source.convertToFormat(QImage::Format_ARGB32);
    const bool premultiplied = argb.format() == QImage::Format_ARGB32_Premultiplied;
    const int sw = argb.width(), sh = argb.height();
    const int tw = Size.width(), th = Size.height();

    // Column ranges of the source for each calculator column; a source smaller than the picture
    // gives each calculator pixel the one source pixel under it.
    std::vector<int> x0(static_cast<size_t>(tw)), x1(static_cast<size_t>(tw));
    for (int tx = 0; tx < tw; ++tx) {
        x0[size_t(tx)] = int(qint64(tx) * sw / tw);
        x1[size_t(tx)] = std::max(x0[size_t(tx)] + 1, int(qint64(tx + 1) * sw / tw));
    }

    std::vector<uint8_t> grey(size_t(tw) * size_t(th));
    // Sums of grey × 255 (alpha applied) per calculator column, for the rows under one picture row.
    std::vector<quint64> sums(static_cast<size_t>(tw));
    std::vector<uint32_t> rowGrey(static_cast<size_t>(sw));
    for (int ty = 0; ty < th; ++ty) {
        const int y0 = int(qint64(ty) * sh / th);
        const int y1 = std::max(y0 + 1, int(qint64(ty + 1) * sh / th));
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = y0; y < y1; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
            for (int x = 0; x < sw; ++x) {
                const QRgb p = line[x];
                // Luminance weights that sum to 256, so white stays 255.
                const uint32_t v = (qRed(p) * 77 + qGreen(p) * 150 + qBlue(p) * 29) >> 8;
                const uint32_t a = qAlpha(p);
                // Premultiplied colours are already scaled by their alpha: on white paper a pixel
                // shows v + (255 - a), inverted a - v + (255 - a).
                if (premultiplied)
                    rowGrey[size_t(x)] = 255 * (Invert ? 255 - v : v + 255 - a);
                else
                    rowGrey[size_t(x)] = (Invert ? 255 - v : v) * a + 255 * (255 - a);
            }
            for (int tx = 0; tx < tw; ++tx) {
                quint64 s = 0;
                for (int x = x0[size_t(tx)]; x < x1[size_t(tx)]; ++x)
                    s += rowGrey[size_t(x)];
                sums[size_t(tx)] += s;
            }
        }
        uint8_t *out = grey.data() + size_t(ty) * size_t(tw);
        for (int tx = 0; tx < tw; ++tx) {
            const quint64 count = quint64(x1[size_t(tx)] - x0[size_t(tx)]) * quint64(y1 - y0) * 255;
            out[tx] = uint8_t((sums[size_t(tx)] + count / 2) / count);
        }
    }
    return grey;
}

// The classic 4 × 4 Bayer matrix: thresholds spread so that every 16th grey level adds one dot.
constexpr uint8_t Bayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
} // namespace

bool PictureSizeFits(QSize Size)
{
    return Size.width() >= 1 && Size.height() >= 1 && Size.width() <= MaxPictureSide && Size.height() <= MaxPictureSide &&
           qint64((Size.width() + 7) / 8) * Size.height() <= MaxGrobRowBytes;
}

QSize ClampPictureSize(QSize Size)
{
    const int w = std::clamp(Size.width(), 1, MaxPictureSide);
    const int h = std::clamp(Size.height(), 1, MaxPictureSide);
    return {w, std::min<int>(h, int(MaxGrobRowBytes / ((w + 7) / 8)))};
}

QSize PictureSizeForWidth(QSize Source, int Width)
{
    if (Source.isEmpty())
        return ClampPictureSize({Width, 1});
    Width = std::clamp(Width, 1, MaxPictureSide);
    int height = std::max(1, RoundedRatio(Width, Source.height(), Source.width()));
    if (height > MaxPictureSide) {
        height = MaxPictureSide;
        Width = std::max(1, RoundedRatio(height, Source.width(), Source.height()));
    }
    return ClampPictureSize({Width, height});
}

QSize PictureSizeForHeight(QSize Source, int Height)
{
    if (Source.isEmpty())
        return ClampPictureSize({1, Height});
    Height = std::clamp(Height, 1, MaxPictureSide);
    const int width = std::max(1, RoundedRatio(Height, Source.width(), Source.height()));
    if (width > MaxPictureSide)
        return PictureSizeForWidth(Source, MaxPictureSide);
    return ClampPictureSize({width, Height});
}

QSize DefaultPictureSize(QSize Source)
{
    return PictureSizeForWidth(Source, std::min(Source.width(), CalculatorScreenWidth));
}

bool IsCalculatorPicture(const QImage &Image)
{
    if (Image.isNull() || !PictureSizeFits(Image.size()))
        return false;
    const QImage argb = Image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = line[x];
            if (qAlpha(p) == 0)
                continue;
            if (qAlpha(p) != 255 || ((p & 0xFFFFFF) != 0 && (p & 0xFFFFFF) != 0xFFFFFF))
                return false;
        }
    }
    return true;
}

QImage ConvertPicture(const QImage &Source, const TPictureConversion &Conversion)
{
    const QSize size = Conversion.Size;
    if (Source.isNull() || !PictureSizeFits(size))
        return QImage();
    const std::vector<uint8_t> grey = GreyLevels(Source, size, Conversion.Invert);
    const int w = size.width(), h = size.height();

    QImage mono(size, QImage::Format_MonoLSB);
    if (mono.isNull())
        return mono;
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    const auto setBlack = [&mono](int x, int y) { mono.scanLine(y)[x >> 3] |= uchar(1u << (x & 7)); };

    switch (Conversion.Dither) {
    case TDither::None: {
        // Black when darker than the threshold's share of white: 100 % blackens all but white.
        const int limit = std::clamp(Conversion.Threshold, 0, 100) * 255;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (grey[size_t(y) * size_t(w) + size_t(x)] * 100 < limit)
                    setBlack(x, y);
        break;
    }
    case TDither::Ordered:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (grey[size_t(y) * size_t(w) + size_t(x)] < Bayer4[y & 3][x & 3] * 16 + 8)
                    setBlack(x, y);
        break;
    case TDither::FloydSteinberg: {
        // Errors of this row and the next, with a column of slack on either side.
        std::vector<int> here(size_t(w) + 2, 0), below(size_t(w) + 2, 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int value = grey[size_t(y) * size_t(w) + size_t(x)] + here[size_t(x) + 1];
                const bool black = value < 128;
                if (black)
                    setBlack(x, y);
                const int error = value - (black ? 0 : 255);
                here[size_t(x) + 2] += error * 7 / 16;
                below[size_t(x)] += error * 3 / 16;
                below[size_t(x) + 1] += error * 5 / 16;
                below[size_t(x) + 2] += error / 16;
            }
            std::swap(here, below);
            std::fill(below.begin(), below.end(), 0);
        }
        break;
    }
    }
    return mono;
}
