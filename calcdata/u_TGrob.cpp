#include "u_TGrob.h"

#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_ResourceStrings.h"
#include "u_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstring>

TListGrobFont *FontList = nullptr;

namespace {
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;
// A picture larger than this many pixels is treated as unreadable rather than allocated.
constexpr qint64 MaxBitmapPixels = qint64(1) << 26;

EFileError CannotOpen(const QString &FileName)
{
    return EFileError(ResString(TResId::sCannotOpenFile).arg(QDir::toNativeSeparators(FileName)));
}

// Fills [x0, x1) of one strip row, clipped to the strip.
void FillRow(QImage &Image, int Row, int X0, int X1, QRgb Colour)
{
    if (Row < 0 || Row >= Image.height())
        return;
    auto *line = reinterpret_cast<QRgb *>(Image.scanLine(Row));
    for (int x = std::max(X0, 0); x < std::min(X1, Image.width()); ++x)
        line[x] = Colour;
}
} // namespace

// ---------------------------------------------------------------- Calculator bitmaps

namespace {
const QList<QRgb> CalcColours = {White, Black};

// All white, padding included.
QImage BlankCalcBitmap(int Width, int Height)
{
    QImage image(Width, Height, QImage::Format_MonoLSB);
    if (image.isNull())
        return image;
    image.setColorTable(CalcColours);
    // fill() leaves the padding at the end of each row as it was: clear the rows whole.
    std::memset(image.bits(), 0, size_t(image.sizeInBytes()));
    return image;
}
} // namespace

bool IsCalcBitmap(const QImage &Image)
{
    if (Image.format() != QImage::Format_MonoLSB || Image.colorTable() != CalcColours)
        return false;
    const int w = Image.width();
    const qsizetype used = (w + 7) / 8;
    const uint8_t past = uint8_t(~(0xFF >> ((8 - w % 8) % 8)));
    for (int y = 0; y < Image.height(); ++y) {
        const uchar *line = Image.constScanLine(y);
        if (w % 8 && (line[used - 1] & past))
            return false;
        for (qsizetype i = used; i < Image.bytesPerLine(); ++i)
            if (line[i])
                return false;
    }
    return true;
}

QImage CalcBitmap(const QImage &Source)
{
    if (Source.isNull() || IsCalcBitmap(Source))
        return Source;
    // Transparent areas count as the white paper they would be shown on.
    QImage rgb(Source.size(), QImage::Format_RGB32);
    if (rgb.isNull())
        return QImage();
    rgb.fill(Qt::white);
    {
        QPainter p(&rgb);
        p.drawImage(0, 0, Source);
    }
    QImage image = BlankCalcBitmap(rgb.width(), rgb.height());
    if (image.isNull())
        return image;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *to = image.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            if ((from[x] & 0xFFFFFF) != 0xFFFFFF)
                to[x / 8] |= uchar(1u << (x % 8));
    }
    return image;
}

// ---------------------------------------------------------------- TGrob

namespace {
// The start of a grob file image: header, prolog and the three numbers before the rows.
void WriteGrobFileHead(TNibbleWriter &Out, int32_t Size, int32_t Height, int32_t Width)
{
    Out.Bytes(QByteArrayView(HeaderHP48, HeaderLength));
    Out.Number5(PrologGrob);
    Out.Number5(Size);
    Out.Number5(Height);
    Out.Number5(Width);
}
} // namespace

void TGrob::LoadFromFile(const QString &FileName)
{
    FData.clear();
    // A named pipe would block the open until something writes into it.
    if (!RegularFileProblem(FileName).isEmpty())
        throw CannotOpen(FileName);
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw CannotOpen(FileName);
    const qint64 size = file.size();
    if (size > std::numeric_limits<int32_t>::max() - 2000)
        throw CannotOpen(FileName);
    QByteArray data = file.read(size);
    if (data.size() != size)
        throw CannotOpen(FileName);
    file.close();
    FFileName = FileName;
    FData = std::move(data);

    // A file too short for its dimensions reads the missing nibbles as zero.
    TNibbleReader r(FData);
    r.SeekByte(HeaderLength);
    r.SkipNibbles(10); // prolog and size
    FHeight = r.Number5();
    FWidth = r.Number5();
}

bool TGrob::IsGrobFile() const
{
    if (FData.size() < GrobRowsOffset)
        return false;
    TNibbleReader r(FData);
    r.SeekByte(HeaderLength);
    return r.Number5() == PrologGrob;
}

void TGrob::ReadFrom(TNibbleReader &Source)
{
    FData.clear();
    FFileName.clear();
    const int32_t size = Source.Number5();
    FHeight = Source.Number5();
    FWidth = Source.Number5();
    // The object's bytes minus its 10 header bytes.
    const QByteArrayView rows = Source.Bytes((size + 5) / 2 - 10);
    TNibbleWriter out;
    out.Reserve(GrobRowsOffset + rows.size());
    WriteGrobFileHead(out, size, FHeight, FWidth);
    out.Bytes(rows);
    FData = out.Take();
}

void TGrob::AssignBitmap(const QImage &Bitmap)
{
    FData.clear();
    // Transparent areas count as the white paper they would be shown on.
    QImage image(Bitmap.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.drawImage(0, 0, Bitmap);
    }
    FHeight = image.height();
    FWidth = image.width();
    const int b = BytesPerRow();

    TNibbleWriter out;
    out.Reserve(GrobRowsOffset + qsizetype(b) * FHeight);
    WriteGrobFileHead(out, b * FHeight * 2 + 15, FHeight, FWidth);
    QByteArray row(b, '\0');
    for (int y = 0; y < FHeight; ++y) {
        row.fill('\0');
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < FWidth; ++x)
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF)
                row[x / 8] = char(uchar(row[x / 8]) | (1u << (x % 8)));
        out.Bytes(row);
    }
    FData = out.Take();
}

bool TGrob::Pixel(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
        return false;
    const qint64 index = GrobRowsOffset + qint64(Y) * BytesPerRow() + X / 8;
    if (index >= FData.size())
        return false;
    return (uint8_t(FData[qsizetype(index)]) >> (X % 8)) & 1;
}

QImage TGrob::ToBitmap() const
{
    if (FData.isEmpty() || FWidth <= 0 || FHeight <= 0 || qint64(FWidth) * FHeight > MaxBitmapPixels)
        return QImage();
    QImage image = BlankCalcBitmap(FWidth, FHeight);
    if (image.isNull())
        return image;
    // The grob's rows are the bitmap's rows; only the bits past the width are cleared.
    const int b = BytesPerRow();
    const int held = std::clamp<qint64>((qint64(FData.size()) - GrobRowsOffset) / std::max(b, 1), 0, FHeight);
    const uint8_t lastMask = uint8_t(0xFF >> ((8 - FWidth % 8) % 8));
    for (int y = 0; y < held; ++y) {
        uchar *line = image.scanLine(y);
        std::memcpy(line, FData.constData() + GrobRowsOffset + qint64(y) * b, size_t(b));
        line[b - 1] &= lastMask;
    }
    return image;
}

void TGrob::DrawOn(QPainter &Canvas, int X, int Y) const
{
    if (FData.isEmpty() || FWidth <= 0)
        return;
    const QBrush brush = Canvas.brush().style() == Qt::NoBrush ? QBrush(Qt::black) : Canvas.brush();
    const int b = BytesPerRow();
    const int held = std::clamp<qint64>((qint64(FData.size()) - GrobRowsOffset) / std::max(b, 1), 0, FHeight);
    for (int y = 0; y < held; ++y) {
        const uint8_t *row = reinterpret_cast<const uint8_t *>(FData.constData()) + GrobRowsOffset + qint64(y) * b;
        // Runs of set pixels, one fill each.
        int x = 0;
        while (x < FWidth) {
            if (!((row[x / 8] >> (x % 8)) & 1)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < FWidth && ((row[x / 8] >> (x % 8)) & 1))
                ++x;
            Canvas.fillRect(X + start, Y + y, x - start, 1, brush);
        }
    }
}

// ---------------------------------------------------------------- TGrobFont

namespace {
// Reads a font grob row by row: six pixels per row, one byte per row.
class TFontRowReader {
public:
    explicit TFontRowReader(const TGrob &Grob) : FGrob(Grob) {}
    std::array<bool, 6> Row(int R) const
    {
        std::array<bool, 6> bits {};
        const qint64 index = GrobRowsOffset + qint64(R);
        if (index >= FGrob.FData.size())
            return bits;
        const uint8_t b = uint8_t(FGrob.FData[qsizetype(index)]);
        for (int j = 0; j < 6; ++j)
            bits[size_t(j)] = (b >> j) & 1;
        return bits;
    }

private:
    const TGrob &FGrob;
};
} // namespace

void TGrobFont::BuildFromGrob(const TGrob &Grob, uint8_t Style)
{
    if (Grob.IsMiniFontGrob())
        BuildMini(Grob, Style);
    else
        BuildNormal(Grob, Style);
}

void TGrobFont::BuildNormal(const TGrob &Grob, uint8_t Style)
{
    const bool slanted = Style & (stItalic | stBackslant);
    const uint8_t width = slanted ? 9 : 6;
    std::array<int, 8> shift {};
    if (Style & stBackslant)
        shift = {0, 0, 1, 1, 2, 2, 3, 3};
    else if (Style & stItalic)
        shift = {3, 3, 2, 2, 1, 1, 0, 0};
    const int p = (Style & stBold) ? 2 : 1;

    // Every code gets its cell even when the grob is shorter; rows the grob lacks stay blank.
    const int rows = std::max(Grob.FHeight, 256 * 8);
    QImage strip(width, rows, QImage::Format_RGB32);
    strip.fill(White);
    const TFontRowReader reader(Grob);
    int g = 0;
    for (int r = 0; r < rows; ++r) {
        if (r < Grob.FHeight) {
            const auto bits = reader.Row(r);
            for (int j = 0; j < 6; ++j)
                if (bits[size_t(j)])
                    FillRow(strip, r, j + shift[size_t(g)], j + shift[size_t(g)] + p, Black);
        }
        if (++g == 8) {
            if (Style & stUnderline)
                FillRow(strip, r, 0, (Style & stItalic) ? 6 : width + 1, Black);
            g = 0;
        }
    }
    if (Style & stReverse)
        strip.invertPixels();

    FName = Grob.FFileName;
    FGlyphs = std::move(strip);
    FGlyphs2 = QImage();
    FCharWidth = width;
    FCharHeight = 8;
    FKind = gfkNormal;
    FStyle = Style & 0x1F;
}

void TGrobFont::BuildMini(const TGrob &Grob, uint8_t Style)
{
    if (!(Style & (fsSuperscript | fsSubscript)))
        Style |= fsSuperscript;
    const uint8_t width = (Style & (stItalic | stBackslant)) ? 8 : 6;
    std::array<int, 5> shift {};
    if (Style & stBackslant)
        shift = {0, 0, 1, 1, 2};
    else if (Style & stItalic)
        shift = {2, 2, 1, 1, 0};
    const int p = (Style & stBold) ? 2 : 1;
    const bool reverse = Style & stReverse;

    QImage strip(width, 256 * 8, QImage::Format_RGB32);
    strip.fill(White);
    const TFontRowReader reader(Grob);
    int y = (Style & fsSubscript) ? 3 : 0;
    int g = 0;
    for (int r = 0; r < MiniFontGrobHeight; ++r) {
        const auto bits = reader.Row(r);
        for (int j = 0; j < 6; ++j)
            if (bits[size_t(j)] != reverse)
                FillRow(strip, y, j + shift[size_t(g)], j + shift[size_t(g)] + p, Black);
        ++y;
        if (++g == 5) {
            if (Style & stUnderline)
                FillRow(strip, y - 1, 0, (Style & stItalic) ? 6 : width + 1, reverse ? White : Black);
            g = 0;
            y += 3;
        }
    }

    FName = Grob.FFileName;
    FGlyphs = std::move(strip);
    FGlyphs2 = QImage();
    FCharWidth = width;
    FCharHeight = 8;
    FKind = gfkMini;
    FStyle = Style;
}

const QImage &TGrobFont::Strip(bool Zoom) const
{
    if (!Zoom)
        return FGlyphs;
    if (FGlyphs2.isNull() && !FGlyphs.isNull())
        FGlyphs2 = FGlyphs.scaled(FGlyphs.width() * 2, FGlyphs.height() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return FGlyphs2;
}

QRect TGrobFont::CellRect(uint8_t Code, bool Zoom) const
{
    const int k = Zoom ? 2 : 1;
    return QRect(0, FCharHeight * Code * k, FCharWidth * k, FCharHeight * k);
}

bool TGrobFont::GlyphPixel(uint8_t Code, int X, int Y) const
{
    const int row = FCharHeight * Code + Y;
    if (FGlyphs.isNull() || X < 0 || X >= FCharWidth || Y < 0 || Y >= FCharHeight || row >= FGlyphs.height())
        return false;
    return FGlyphs.pixel(X, row) != White;
}

void TGrobFont::DrawChar(QPainter &Canvas, uint8_t Code, int X, int Y, bool Zoom) const
{
    if (!HasStrip())
        return;
    Canvas.drawImage(QPoint(X, Y), Strip(Zoom), CellRect(Code, Zoom));
}

void TGrobFont::DrawText(QPainter &Canvas, const QByteArray &Text, int X, int Y, bool Zoom) const
{
    const int advance = FCharWidth * (Zoom ? 2 : 1);
    for (const char c : Text) {
        DrawChar(Canvas, uint8_t(c), X, Y, Zoom);
        X += advance;
    }
}

void LoadFontFile(TGrobFont &Font, const QString &FileName, uint8_t Style)
{
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    grob->LoadFromFile(FileName);
    Font.BuildFromGrob(*grob, Style);
}

TGrobFontKind FontFileKind(const QString &FileName)
{
    const QFileInfo info(FileName);
    if (!info.exists() || !info.isFile())
        throw CannotOpen(FileName);
    switch (info.size()) {
    case NormalFontFileSize:
        return gfkNormal;
    case MiniFontFileSize:
        return gfkMini;
    default:
        return gfkOther;
    }
}

// ---------------------------------------------------------------- TListGrobFont

void TListGrobFont::Clear()
{
    FItems.clear(); // each item releases its font
}

void TListGrobFont::Add(TSharedObject *Obj, const QString &Name, const QString &FileName, uint8_t Kind, uint8_t Style)
{
    auto item = std::make_unique<TListGrobFontItem>();
    item->Name = Name;
    item->FileName = FileName;
    item->Kind = Kind;
    item->Style = Style;
    if (auto *font = dynamic_cast<TGrobFont *>(Obj)) {
        item->Font = TSharedRef<TGrobFont>::Share(font);
    } else if (auto *grob = dynamic_cast<TGrob *>(Obj)) {
        item->Font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
        item->Font->BuildFromGrob(*grob, Style);
    }
    if (item->Font) {
        item->Kind = item->Font->FKind;
        item->Style = item->Font->FStyle;
    }
    FItems.push_back(std::move(item));
}

void TListGrobFont::AddFont(TGrobFont *Font, const QString &Name)
{
    Add(Font, Name, QString(), gfkNormal, 0);
}

void TListGrobFont::LoadFolder(const QString &Mask, TGrobFontKinds Kinds)
{
    const QFileInfo maskInfo(Mask);
    QString dir = maskInfo.path();
    if (!dir.endsWith('/'))
        dir += '/';
    const QDir folder(dir, maskInfo.fileName(), QDir::Unsorted, QDir::Files);
    for (const QString &entry : folder.entryList()) {
        TGrobFontKind kind;
        try {
            kind = FontFileKind(dir + entry);
        } catch (const EFileError &) {
            // A file that vanished or cannot be sized is simply not offered; one bad file must not
            // stop the program from starting.
            continue;
        }
        if (Kinds.contains(kind))
            Add(nullptr, FileNameWithoutExt(entry), dir + entry, kind, 0);
    }
}

void TListGrobFont::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
        [](const auto &a, const auto &b) { return QString::compare(a->Name, b->Name, Qt::CaseSensitive) < 0; });
}

TGrobFont *TListGrobFont::GetFont(int Index)
{
    TListGrobFontItem &item = *FItems.at(size_t(Index));
    if (!item.Font) {
        // Stored before loading: a file that fails leaves an empty font, not a retry on every use.
        item.Font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
        LoadFontFile(*item.Font, item.FileName, item.Style);
    }
    return item.Font.get();
}

int TListGrobFont::IndexOf(const QString &Name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Name == Name)
            return int(i);
    return -1;
}

TGrobFont *TListGrobFont::FindFont(const QString &Name)
{
    const int index = IndexOf(Name);
    return index < 0 ? nullptr : GetFont(index);
}

void TListGrobFont::AssignTo(TListGrobFont &Dest) const
{
    if (&Dest == this)
        return;
    for (const auto &item : FItems)
        Dest.Add(item->Font.get(), item->Name, item->FileName, item->Kind, item->Style);
}

void LoadProgramFonts(TListGrobFont &List)
{
    List.LoadFolder(AppDir + "fonts/*.fnt", {gfkMini, gfkNormal});
    List.Sort();
}
