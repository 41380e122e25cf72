// Drawing a document's lines with direct pixel work on an RGB32 image.
#include "u_DocumentPainter.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"
#include "u_THPDocument.h"

#include <algorithm>
#include <limits>

namespace {
constexpr QRgb White = TDocumentPainter::White;
constexpr QRgb Navy = 0xFF00007F; // the inverse of the light yellow selection background
constexpr QRgb Grey = 0xFF808080; // the right-edge line

inline bool IsBackground(QRgb c) { return (c & 0xFFFFFF) == 0xFFFFFF; }

int Compare(int L1, int C1, int L2, int C2)
{
    if (L1 != L2)
        return L1 > L2 ? 1 : -1;
    return C1 == C2 ? 0 : C1 > C2 ? 1 : -1;
}

// Combines the source rectangle Src of Image at (X, Y) of Target, clipped to Clip: AND for an
// unselected cell, opaque white-on-navy for a selected one.
void BlitCell(QImage &Target, const QRect &Clip, int X, int Y, const QImage &Image, QRect Src, bool Selected)
{
    const QRect dst = QRect(X, Y, Src.width(), Src.height()).intersected(Clip);
    if (dst.isEmpty())
        return;
    const int sx = Src.x() + (dst.x() - X);
    const int sy = Src.y() + (dst.y() - Y);
    const qsizetype sStride = Image.bytesPerLine();
    const qsizetype dStride = Target.bytesPerLine();
    const uchar *sRow = Image.constBits() + sy * sStride + sx * 4;
    uchar *dRow = Target.bits() + dst.y() * dStride + dst.x() * 4;
    const int w = dst.width();
    for (int row = 0; row < dst.height(); ++row, sRow += sStride, dRow += dStride) {
        const QRgb *s = reinterpret_cast<const QRgb *>(sRow);
        QRgb *d = reinterpret_cast<QRgb *>(dRow);
        if (Selected) {
            for (int i = 0; i < w; ++i)
                d[i] = IsBackground(s[i]) ? Navy : White;
        } else {
            for (int i = 0; i < w; ++i)
                d[i] &= s[i];
        }
    }
}
} // namespace

bool TPaintSelection::Contains(int Line, int Pos) const
{
    return Active && Compare(StartLine, StartCol, Line, Pos) <= 0 && Compare(Line, Pos, EndLine, EndCol) <= 0;
}

int TDocumentPainter::LineHeight(int Line) const
{
    const TALine &line = FDoc.Line(Line);
    if (line.IsPicture())
        if (const TPictureHP *p = FDoc.Picture(line.Attr(0)))
            return Zoom * p->Bitmap.height();
    return Zoom * CellHeight;
}

int TDocumentPainter::LineEndX(int Line) const
{
    const int n = FDoc.LineLength(Line);
    const TPictureHP *p = FDoc.PictureOfLine(Line);
    if (!p)
        return LeftMargin + Zoom * CellWidth * n;
    // A picture line is one picture code; anything after it takes text cells.
    int x = LeftMargin;
    const TALine &line = FDoc.Line(Line);
    for (int i = 0; i < n; ++i)
        x += line.Char(i) == CharPicture ? Zoom * p->Bitmap.width() : Zoom * CellWidth;
    return x;
}

void TDocumentPainter::Begin(QImage &Target, const QRect &Clip, QPoint Origin, const TPaintSelection &Selection)
{
    FTarget = &Target;
    FClip = Clip.intersected(Target.rect());
    FOrigin = Origin;
    FSelection = Selection;
}

void TDocumentPainter::Fill(const QRect &R, QRgb Colour)
{
    const QRect r = R.intersected(FClip);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb *d = reinterpret_cast<QRgb *>(FTarget->scanLine(y));
        std::fill(d + r.left(), d + r.left() + r.width(), Colour);
    }
}

void TDocumentPainter::DrawRightEdge(int RightEdge)
{
    // Document x, the left margin not added: two pixels left of the end of the last cell.
    Fill(QRect(RightEdgeX(RightEdge) - FOrigin.x(), 0, 1, FTarget->height()), Grey);
}

void TDocumentPainter::PaintLine(int Line, int Top)
{
    const int y = Top - FOrigin.y();
    if (y > FClip.bottom() || y + LineHeight(Line) <= FClip.top())
        return;
    if (FDoc.PictureOfLine(Line)) {
        PaintCell(LeftMargin - FOrigin.x(), y, Line, 1);
        PaintLineEnd(Line, y);
        return;
    }
    // Cells wholly left or right of the damage are skipped; the ones drawn are drawn left to
    // right, so a selected cell still paints over the overhang of the one before it.
    const int n = FDoc.LineLength(Line);
    const int cell = Zoom * CellWidth;
    const int left = FClip.left() + FOrigin.x() - LeftMargin - MaxGlyphWidth;
    const int first = std::max(1, left / cell + 1);
    for (int pos = first; pos <= n; ++pos) {
        const int x = LeftMargin + cell * (pos - 1) - FOrigin.x();
        if (x > FClip.right())
            break;
        PaintCell(x, y, Line, pos);
    }
    PaintLineEnd(Line, y);
}

void TDocumentPainter::PaintLineEnd(int Line, int Y)
{
    // A selected line break shows as one selected cell, so that a selection over empty lines
    // is seen.
    if (FSelection.Contains(Line, FDoc.LineLength(Line) + 1))
        Fill(QRect(LineEndX(Line) - FOrigin.x(), Y, Zoom * CellWidth, LineHeight(Line)), Navy);
}

void TDocumentPainter::PaintCell(int X, int Y, int Line, int Pos)
{
    const bool selected = FSelection.Contains(Line, Pos);
    if (const TPictureHP *p = FDoc.PictureOfLine(Line)) {
        const QImage &z = p->Zoomed();
        BlitCell(*FTarget, FClip, X, Y, z, z.rect(), selected);
        return;
    }
    const TALine &line = FDoc.Line(Line);
    const uint8_t code = line.Char(Pos - 1);
    // A picture code whose picture is gone draws with the plain font, as its attribute is a slot.
    const TGrobFont *font = FDoc.Fonts().Styled(code == CharPicture ? 0 : line.Attr(Pos - 1));
    if (!font->HasStrip()) {
        // A font that could not be loaded draws blank cells; a selection over them still shows.
        if (selected)
            Fill(QRect(X, Y, Zoom * CellWidth, Zoom * CellHeight), Navy);
        return;
    }
    BlitCell(*FTarget, FClip, X, Y, font->Strip(true), font->CellRect(code, true), selected);
}

QSize TDocumentPainter::DrawingSize(int RightEdge) const
{
    int width = RightEdgeX(RightEdge) + LeftMargin;
    qint64 height = 2 * TopMargin;
    for (int i = 0; i < FDoc.LineCount(); ++i) {
        width = std::max(width, LineEndX(i) + MaxGlyphWidth);
        height += LineHeight(i);
    }
    return {width, int(std::min<qint64>(height, std::numeric_limits<int>::max()))};
}

QImage TDocumentPainter::Render(int RightEdge, bool WithRightEdge)
{
    const QSize size = DrawingSize(RightEdge);
    return RenderRows(RightEdge, WithRightEdge, size.width(), 0, size.height());
}

QImage TDocumentPainter::RenderRows(int RightEdge, bool WithRightEdge, int Width, int Top, int Bottom)
{
    const qint64 height = qint64(Bottom) - Top;
    // A drawing too large to hold is refused rather than attempted, with a message that says so.
    // PNG codecs refuse a side longer than a million pixels.
    constexpr qint64 MaxImageBytes = qint64(512) << 20;
    constexpr int MaxImageSide = 1000000;
    if (qint64(Width) * height * 4 > MaxImageBytes || Width > MaxImageSide || height > MaxImageSide)
        throw ETooLargeToSave(ResString(TResId::sDrawingTooLarge));
    QImage image(Width, int(height), QImage::Format_RGB32);
    if (image.isNull())
        throw ETooLargeToSave(ResString(TResId::sDrawingTooLarge));
    image.fill(White);
    Begin(image, image.rect(), QPoint(0, Top));
    if (WithRightEdge)
        DrawRightEdge(RightEdge);
    int top = TopMargin;
    for (int i = 0; i < FDoc.LineCount() && top < Bottom; ++i) {
        PaintLine(i, top);
        top += LineHeight(i);
    }
    FTarget = nullptr;
    return image;
}
