#pragma once
// The program's pictures, drawn in code so that they stay sharp at every size: the program icon,
// one icon per document kind (the colours of the desktop icons) and the toolbar and menu glyphs.
#include "u_EditorAttrs.h"

#include <QIcon>

enum class TGlyph {
    New, Open, Save, Cut, Copy, Paste, Transfer, Picture, Help,
    Bold, Reverse, Italic, Backslant, Underline,
    AlignLeft, AlignCenter, AlignRight, Justify, Edge22, Edge33,
};

QIcon ProgramIcon();
QIcon DocumentIcon(TEditor Kind);
QIcon Glyph(TGlyph Which);
