#pragma once
// Grobs (the calculator's monochrome graphic objects) and the calculator fonts built from them.
#include "u_HPNibs.h"
#include "u_TShared.h"

#include <QImage>
#include <QString>
#include <initializer_list>
#include <memory>
#include <vector>

class QPainter;

// Character style bits, as stored in a character's attribute byte and used to build a font.
enum : uint8_t {
    stBold = 0x01,
    stUnderline = 0x02,
    stReverse = 0x04,
    stItalic = 0x08,
    stBackslant = 0x10,
    fsFont1 = 0x20,
    fsSuperscript = 0x40,
    fsSubscript = 0x80,
};

enum TGrobFontKind : uint8_t { gfkMini = 0, gfkNormal = 1, gfkOther = 2 };

// A set of font kinds, as the font pickers and the folder scan take it.
class TGrobFontKinds {
public:
    constexpr TGrobFontKinds() = default;
    constexpr TGrobFontKinds(std::initializer_list<TGrobFontKind> kinds)
    {
        for (auto k : kinds)
            FBits |= uint8_t(1u << k);
    }
    constexpr bool contains(int kind) const { return kind >= 0 && kind < 8 && (FBits >> kind) & 1; }
    constexpr bool operator==(const TGrobFontKinds &) const = default;

private:
    uint8_t FBits = 0;
};

constexpr int MiniFontGrobHeight = 1280;
constexpr qint64 NormalFontFileSize = 2066;
constexpr qint64 MiniFontFileSize = 1298;
constexpr int GrobRowsOffset = 18; // header (8) + prolog, size, height, width (4 × 5 nibbles)

class TGrob : public TSharedObject {
public:
    TGrob() = default;

    // Reads a whole grob file; raises EFileError when it cannot be opened or read, and then keeps
    // no data.
    void LoadFromFile(const QString &FileName);
    // Reads one grob object from a document whose reader stands just after the grob's prolog.
    // Keeps only the rows Source holds, but moves Source past the whole object as its length
    // field gives it, so that Source's reader is short when the object runs past the end.
    void ReadFrom(TNibbleReader &Source);
    // Replaces the grob by the picture: every pixel that is not pure white is set.
    void AssignBitmap(const QImage &Bitmap);
    // Black on white, FWidth × FHeight, as a calculator bitmap (see CalcBitmap); a null image when
    // the grob holds nothing.
    QImage ToBitmap() const;
    // Fills every set pixel at (X + column, Y + row) with the painter's current brush.
    void DrawOn(QPainter &Canvas, int X, int Y) const;
    // Whether the data read is a whole grob file header: the grob prolog, size and dimensions.
    bool IsGrobFile() const;
    bool IsMiniFontGrob() const { return FHeight == MiniFontGrobHeight; }

    // The rows as stored: FHeight rows of ceil(FWidth / 8) bytes, bit 0 the leftmost pixel.
    // Rows the data does not hold read as blank.
    int BytesPerRow() const { return (FWidth + 7) / 8; }
    bool Pixel(int X, int Y) const;
    // The complete grob file image, header included.
    const QByteArray &FileBytes() const { return FData; }

    QString FFileName;
    int32_t FHeight = 0;
    int32_t FWidth = 0;
    QByteArray FData; // the grob file image, header included; empty when nothing was read
};

class TGrobFont : public TSharedObject {
public:
    TGrobFont() = default;

    // Builds the glyph strip with the style applied: the mini build for a 1280-row grob, else the
    // normal build. The strip is only replaced once it is complete.
    void BuildFromGrob(const TGrob &Grob, uint8_t Style);

    // Copies the cell of Code to (X, Y), scaled by 2 when Zoom is set, combined with what is
    // there by the painter's current composition mode (plain copy, RasterOp_NotSource for an
    // inverted copy, RasterOp_SourceAndDestination for AND). A font without a strip draws nothing.
    void DrawChar(QPainter &Canvas, uint8_t Code, int X, int Y, bool Zoom) const;
    void DrawText(QPainter &Canvas, const QByteArray &Text, int X, int Y, bool Zoom) const;

    bool HasStrip() const { return !FGlyphs.isNull(); }
    // The strip scaled by 1 or 2 (the 2 × strip is made once, on first use), RGB32 black on white.
    const QImage &Strip(bool Zoom) const;
    // Cell rectangle of Code in Strip(Zoom).
    QRect CellRect(uint8_t Code, bool Zoom) const;
    bool GlyphPixel(uint8_t Code, int X, int Y) const;

    QImage FGlyphs; // FCharWidth × 2048, black glyph pixels on white
    uint8_t FCharWidth = 0;
    uint8_t FCharHeight = 0;
    uint8_t FKind = gfkNormal;
    uint8_t FStyle = 0;
    QString FName;

private:
    void BuildNormal(const TGrob &Grob, uint8_t Style);
    void BuildMini(const TGrob &Grob, uint8_t Style);
    mutable QImage FGlyphs2;
};

// A picture as the calculator holds it: one bit per pixel, bit 0 of a byte the leftmost
// (QImage::Format_MonoLSB), index 0 white and 1 black, and every bit past the width clear, so that
// two equal pictures have equal bytes. Every pixel that is not pure white is ink. An image that
// already is one comes back shared, uncopied.
QImage CalcBitmap(const QImage &Source);
bool IsCalcBitmap(const QImage &Image);

// Creates a grob from the file, builds Font from it with Style and releases the grob.
void LoadFontFile(TGrobFont &Font, const QString &FileName, uint8_t Style);
// The kind of a font file from its length alone; raises EFileError when it cannot be sized.
TGrobFontKind FontFileKind(const QString &FileName);

struct TListGrobFontItem {
    QString Name;
    QString FileName;
    TSharedRef<TGrobFont> Font; // null until first use
    uint8_t Kind = gfkNormal;
    uint8_t Style = 0;
};

class TListGrobFont {
public:
    TListGrobFont() = default;
    TListGrobFont(const TListGrobFont &) = delete;
    TListGrobFont &operator=(const TListGrobFont &) = delete;
    ~TListGrobFont() { Clear(); }

    void Clear();
    // Obj may be a font (shared), a grob (a new font is built from it with Style) or null (an
    // entry loaded on first use). An entry with a font takes its kind and style from the font.
    void Add(TSharedObject *Obj, const QString &Name, const QString &FileName, uint8_t Kind, uint8_t Style);
    void AddFont(TGrobFont *Font, const QString &Name);
    // Lists every ordinary file matching Mask ("folder/*.fnt") whose kind is in Kinds, unloaded.
    void LoadFolder(const QString &Mask, TGrobFontKinds Kinds);
    // By name, character code by character code.
    void Sort();
    int Count() const { return int(FItems.size()); }
    QString GetName(int Index) const { return FItems.at(size_t(Index))->Name; }
    uint8_t GetKind(int Index) const { return FItems.at(size_t(Index))->Kind; }
    const TListGrobFontItem &Item(int Index) const { return *FItems.at(size_t(Index)); }
    // The entry's font, loaded on first use; the list keeps the reference. When the file cannot be
    // read the error reaches the caller and the entry keeps an empty font, returned from then on.
    TGrobFont *GetFont(int Index);
    // The first entry named exactly Name (case-sensitive), or null.
    TGrobFont *FindFont(const QString &Name);
    int IndexOf(const QString &Name) const;
    // Appends every entry to Dest; loaded fonts become shared between the two lists.
    void AssignTo(TListGrobFont &Dest) const;

private:
    std::vector<std::unique_ptr<TListGrobFontItem>> FItems;
};

// The program's one list of every font file in the fonts folder, owned by a TGlobalScope in
// main() and filled by LoadProgramFonts at start-up.
extern TListGrobFont *FontList;
// Lists AppDir + "fonts/*.fnt" (mini and normal fonts) in List, sorted.
void LoadProgramFonts(TListGrobFont &List);
