#pragma once
// The document kinds and the rules of the attribute byte that every stored character carries.
// Free functions on plain bytes, so that the file readers, the clipboard code and the tests use
// them without an editor widget.
#include "u_TGrob.h" // stBold … fsSubscript

#include "u_ByteScan.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The document kind, stored as a byte. Standard is plain text with one font and no styles.
enum class TEditor : uint8_t { Tgv = 0, Xview = 1, Eden = 2, Standard = 3, Hp49 = 4 };

constexpr uint8_t AttrStyleMask = 0x1F; // bold, underline, reverse, italic, backslant
constexpr uint8_t AttrFontMask = 0xE0;  // the font selector
constexpr int StyleCount = 24;      // italic and backslant never both set: style part <= 23
constexpr int FontSlotCount = 4;    // normal, font 1, superscript, subscript

// Characters with a meaning of their own in the document.
constexpr uint8_t CharPicture = 2;   // a picture line holds this one byte
constexpr uint8_t CharLineFeed = 10; // what a line end reads as; never stored
constexpr uint8_t CharReturn = 13;   // refused by every kind, so CR LF becomes one line break
constexpr uint8_t CharSpace = 32;

// The font bits of each slot.
inline constexpr uint8_t FontBits[FontSlotCount] = {0x00, 0x20, 0x40, 0x80};

// The font slot an attribute selects: font 1 wins over superscript, superscript over subscript.
constexpr int FontIndex(uint8_t Attr)
{
    if (Attr & fsFont1)
        return 1;
    if (Attr & fsSuperscript)
        return 2;
    if (Attr & fsSubscript)
        return 3;
    return 0;
}

// Keeps the style part and selects font slot Index (0..3).
void SetFontBits(uint8_t &Attr, int Index);
// Flips the style bits of Bits (font bits ignored). Setting one slant clears the other, so an
// attribute never leans both ways. Returns whether the style was set before.
bool ToggleStyleBit(uint8_t &Attr, uint8_t Bits);
// A font value (0x20, 0x40, 0x80, or 0 for the normal font) selects that font; a style value
// toggles the style.
void ApplyStyle(uint8_t &Attr, uint8_t Value);
// Removes, byte by byte, the bits the kind cannot store. A TGV byte that still leans both ways
// (only clipboard data from elsewhere can hold one) keeps the backslant, which is what its glyphs
// show; the other kinds have no backslant, so their rule alone leaves at most the italic.
void StripAttrs(QByteArray &Attrs, TEditor Kind);
// One attribute with both slants reduced to the backslant; any other attribute unchanged.
constexpr uint8_t NormaliseSlant(uint8_t Attr)
{
    return (Attr & stItalic) && (Attr & stBackslant) ? uint8_t(Attr & ~stItalic) : Attr;
}
// Whether the kind can store the character. A kind value outside the five refuses everything.
bool IsCharAllowed(uint8_t Ch, TEditor Kind);
// The characters the kind refuses, as a set a scan can look for: every kind refuses a few codes
// from 0 up and at most four others. Nothing for a kind whose refusals do not fit such a set.
std::optional<TByteSet> RefusedCharacters(TEditor Kind);
// The command a text file of this kind is shown with on the calculator when the document has none.
QString DefaultExecuteWith(TEditor Kind);
