#pragma once
// The font slots of a document: normal, font 1, superscript and subscript (the last two hold the
// same mini font), each with its name, and the glyph tables built from them for each style.
#include "u_EditorAttrs.h"
#include "u_TGrob.h"
#include "u_TShared.h"

#include <QString>
#include <array>

class TDocumentFonts {
public:
    QString Name(int Index) const { return FNames[size_t(Index & 3)]; }
    TGrob *Grob(int Index) const { return FGrobs[size_t(Index & 3)].get(); }
    // Font files are read from this folder, relative to AppDir.
    QString Folder() const { return FFolder; }
    // A separator is appended when missing ("fonts" → "fonts/"); a trailing backslash becomes one.
    void SetFolder(const QString &Value);

    // Reads font Name into slot Index (slot 2 fills slot 3 as well); nothing when Name is the
    // slot's name already. An empty name empties the slot. A file that cannot be read leaves the
    // slot empty (blank cells) and raises EFileError. Returns whether any slot changed.
    bool Set(int Index, const QString &Name);
    // Empties the slot; returns whether it held a font.
    bool Release(int Index);
    // The glyph table for the attribute's slot and style, built on first use and kept. Never
    // null: an empty slot gives a font without a strip, which draws nothing.
    TGrobFont *Styled(uint8_t Attr) const;

private:
    void DropStyled(int Index);

    QString FFolder;
    std::array<QString, FontSlotCount> FNames;
    std::array<TSharedRef<TGrob>, FontSlotCount> FGrobs;
    mutable std::array<std::array<TSharedRef<TGrobFont>, StyleCount>, FontSlotCount> FStyled;
};
