#pragma once
// The program's pictures: the program icon and one icon per document kind (the ones the desktop
// shows for Quillo's files), and the toolbar and menu glyphs: the icon theme's for the standard
// actions, the program's own SVG pictures for the rest and wherever the theme has none.
#include "u_EditorAttrs.h"

#include <QIcon>

enum class TGlyph {
    New, Open, Save, Cut, Copy, Paste, Transfer, Picture, Help,
    Bold, Reverse, Italic, Backslant, Underline,
    AlignLeft, AlignCenter, AlignRight, Justify, Edge22, Edge33,
    Undo, Redo,
};

QIcon ProgramIcon();
QIcon DocumentIcon(TEditor Kind);
QIcon Glyph(TGlyph Which);
// The program's own picture for Which, whatever the theme offers.
QIcon OwnGlyph(TGlyph Which);
