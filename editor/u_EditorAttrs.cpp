#include "u_EditorAttrs.h"

void SetFontBits(uint8_t &Attr, int Index)
{
    Attr = uint8_t((Attr & AttrStyleMask) | FontBits[Index & 3]);
}

bool ToggleStyleBit(uint8_t &Attr, uint8_t Bits)
{
    const uint8_t b = Bits & AttrStyleMask;
    if (Attr & b) {
        Attr = uint8_t(Attr & ~b);
        return true;
    }
    if (b & (stItalic | stBackslant))
        Attr = uint8_t(Attr & ~(stItalic | stBackslant));
    Attr = uint8_t(Attr | b);
    return false;
}

void ApplyStyle(uint8_t &Attr, uint8_t Value)
{
    if (FontIndex(Value) != 0 || Value == 0)
        SetFontBits(Attr, FontIndex(Value));
    else
        ToggleStyleBit(Attr, Value);
}

void StripAttrs(QByteArray &Attrs, TEditor Kind)
{
    for (char &c : Attrs) {
        uint8_t a = uint8_t(c);
        switch (Kind) {
        case TEditor::Tgv:
            break;
        case TEditor::Standard:
            a = 0;
            break;
        case TEditor::Xview:
            a &= stBold | stUnderline | stReverse;
            break;
        case TEditor::Eden:
        case TEditor::Hp49:
            a &= stBold | stUnderline | stReverse | stItalic;
            break;
        }
        c = char(NormaliseSlant(a));
    }
}

bool IsCharAllowed(uint8_t Ch, TEditor Kind)
{
    switch (Kind) {
    case TEditor::Tgv:
        return Ch != 0 && Ch != 1 && Ch != 2 && Ch != 13;
    case TEditor::Xview:
    case TEditor::Eden:
        return Ch != 0 && Ch != 2 && Ch != 11 && Ch != 13 && Ch != 34;
    case TEditor::Standard:
        return Ch != 0 && Ch != 2 && Ch != 13;
    case TEditor::Hp49:
        return Ch > 4 && Ch != 13 && Ch != 19 && Ch != 34;
    }
    return false;
}

std::optional<TByteSet> RefusedCharacters(TEditor Kind)
{
    TByteSet set;
    while (set.Below < 255 && !IsCharAllowed(set.Below, Kind))
        ++set.Below;
    int others = 0;
    for (int c = set.Below; c < 256; ++c)
        if (!IsCharAllowed(uint8_t(c), Kind)) {
            if (others == 4)
                return std::nullopt;
            set.Equal[size_t(others++)] = uint8_t(c);
        }
    // Fewer than four: the first one again, or a code already below; an empty set has neither.
    if (others == 0 && set.Below == 0)
        return std::nullopt;
    const uint8_t again = others ? set.Equal[0] : uint8_t(set.Below ? set.Below - 1 : 0);
    for (; others < 4; ++others)
        set.Equal[size_t(others)] = again;
    return set;
}

QString DefaultExecuteWith(TEditor Kind)
{
    switch (Kind) {
    case TEditor::Tgv:
        return QStringLiteral("TGV");
    case TEditor::Xview:
        return QStringLiteral("XV");
    case TEditor::Eden:
        return QStringLiteral("EDEN");
    default:
        return QString();
    }
}
