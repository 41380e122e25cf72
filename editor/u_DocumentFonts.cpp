// The document's font slots and their glyph tables.
#include "u_DocumentFonts.h"

#include "u_utils.h"

void TDocumentFonts::SetFolder(const QString &Value)
{
    QString v = Value;
    if (v.endsWith('\\'))
        v.chop(1);
    if (!v.isEmpty() && !v.endsWith('/'))
        v += '/';
    FFolder = v;
}

bool TDocumentFonts::Set(int Index, const QString &Name)
{
    if (Index < 0 || Index >= FontSlotCount || Name == FNames[size_t(Index)])
        return false;
    bool changed = Release(Index);
    if (Index == 2)
        changed = Release(3) || changed;
    if (Name.isEmpty())
        return changed;
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    // The slot stays empty until the file is read whole, so drawing never sees half a font.
    grob->LoadFromFile(AppDir + FFolder + Name + QStringLiteral(".fnt"));
    FNames[size_t(Index)] = Name;
    FGrobs[size_t(Index)] = grob;
    if (Index == 2) {
        FNames[3] = Name;
        FGrobs[3] = grob;
    }
    return true;
}

bool TDocumentFonts::Release(int Index)
{
    if (Index < 0 || Index >= FontSlotCount)
        return false;
    // Drop the glyph tables of an empty slot as well: they are the blank stand-ins.
    DropStyled(Index);
    if (!FGrobs[size_t(Index)])
        return false;
    FGrobs[size_t(Index)].reset();
    FNames[size_t(Index)].clear();
    return true;
}

void TDocumentFonts::DropStyled(int Index)
{
    for (TSharedRef<TGrobFont> &f : FStyled[size_t(Index)])
        f.reset();
}

TGrobFont *TDocumentFonts::Styled(uint8_t Attr) const
{
    Attr = NormaliseSlant(Attr);
    const int slot = FontIndex(Attr);
    const int style = Attr & AttrStyleMask; // at most 23 once the slants are normalised
    TSharedRef<TGrobFont> &f = FStyled[size_t(slot)][size_t(style)];
    if (!f) {
        auto font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
        if (const TGrob *g = FGrobs[size_t(slot)].get())
            font->BuildFromGrob(*g, Attr); // the whole byte: the mini build places by the font bits
        f = font;
    }
    return f.get();
}
