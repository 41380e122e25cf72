#pragma once
// Turning any picture (a photograph, a drawing, a screenshot) into a calculator picture: black
// pixels on white paper, at a size the calculator can hold. Pure logic on images: the picture step
// of Insert Grob, pasting an image and `quillo --grob` all call it.
#include <QImage>
#include <QSize>

#include <cstdint>

enum class TDither : uint8_t {
    None,           // one threshold for every pixel
    FloydSteinberg, // each pixel's error spread over its neighbours
    Ordered,        // a 4 × 4 Bayer matrix of thresholds
};

struct TPictureConversion {
    QSize Size;     // in calculator pixels
    TDither Dither = TDither::None;
    int Threshold = 50; // percent of white: darker pixels become black (no dithering only)
    bool Invert = false;
};

// The calculator's screen is 131 pixels wide: a new picture is no wider unless the user asks.
constexpr int CalculatorScreenWidth = 131;
constexpr int MaxPictureSide = 2048;
// A grob's size field is five nibbles: its rows hold at most this many bytes.
constexpr qint64 MaxGrobRowBytes = (0xFFFFF - 15) / 2;

// Whether a picture of Size can be a calculator picture: both sides from 1 to MaxPictureSide and
// its rows within a grob's size field (which leaves a 2048-pixel-wide picture 2047 rows).
bool PictureSizeFits(QSize Size);
// The size of a picture of Source drawn Width pixels wide, its height following the aspect ratio;
// brought within the limits with the aspect ratio kept. Height likewise for PictureSizeForHeight.
QSize PictureSizeForWidth(QSize Source, int Width);
QSize PictureSizeForHeight(QSize Source, int Height);
// Size brought within the limits, each side on its own (for a picture whose aspect is unlocked).
QSize ClampPictureSize(QSize Size);
// What a new picture is proposed at: its own width, at most the calculator screen's.
QSize DefaultPictureSize(QSize Source);

// Whether Image is a calculator picture already: every pixel pure black, pure white or fully
// transparent, and its size within the limits.
bool IsCalculatorPicture(const QImage &Image);

// Source scaled to Conversion.Size (each calculator pixel the average of the source pixels it
// covers), transparent areas taken as white paper, then reduced to black and white. Invert swaps
// black and white in the picture but leaves transparent areas paper. A calculator bitmap (see
// CalcBitmap); a null image when Source is null or the size does not fit.
QImage ConvertPicture(const QImage &Source, const TPictureConversion &Conversion);
