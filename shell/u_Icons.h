#pragma once
// The program's pictures: the program icon and one icon per document kind (the ones the desktop
// shows for Quillo's files), and the toolbar and menu glyphs, drawn in code so that they stay sharp
// at every size.
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
