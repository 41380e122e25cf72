// The four justification commands: each works on the caret line, or on every line the selection
// touches, and leaves picture lines alone.
#include "u_THPEdit2.h"

namespace {
enum : int { JustifyCenter = 0, JustifyLeft = 1, JustifyRight = 2, JustifyBreak = 3 };
} // namespace

void THPEdit2::Justify(int Mode)
{
    if (Mode < JustifyCenter || Mode > JustifyBreak)
        return;
    TEditStep step(this);
    const bool hadSelection = FSelected;
    const int first = hadSelection ? FSelStartLine : FCaretLine;
    int last = hadSelection ? FSelEndLine : FCaretLine;
    for (int l = first; l <= last; ++l) {
        if (PictureOfLine(l))
            continue;
        switch (Mode) {
        case JustifyCenter:
            CenterLine(l);
            break;
        case JustifyLeft:
            TrimLine(l);
            break;
        case JustifyRight:
            RightAlignLine(l);
            break;
        case JustifyBreak:
            // The rest of the line is the next line of the range, broken again until it fits.
            if (BreakAtRightEdge(l))
                ++last;
            break;
        }
    }
    if (hadSelection)
        SelectRange(first, 1, -1, last);
}

namespace {
// An underlined or reversed space is visible on the calculator, so it counts as text.
inline bool IsPlainSpace(const TALine &Line, int Pos)
{
    return Line.Char(Pos - 1) == CharSpace && (Line.Attr(Pos - 1) & (stUnderline | stReverse)) == 0;
}
} // namespace

void THPEdit2::TrimLine(int Line)
{
    if (Line < 0 || Line >= LineCount() || PictureOfLine(Line))
        return;
    int p = 1;
    while (p <= LineLength(Line) && IsPlainSpace(this->Line(Line), p))
        ++p;
    if (p > 1)
        DeleteRange(Line, 1, p - 1, Line);
    const int n = LineLength(Line);
    int q = n;
    while (q >= 1 && IsPlainSpace(this->Line(Line), q))
        --q;
    if (q < n)
        DeleteRange(Line, q + 1, n, Line);
}

void THPEdit2::CenterLine(int Line)
{
    if (Line < 0 || Line >= LineCount() || PictureOfLine(Line))
        return;
    TrimLine(Line);
    const int n = LineLength(Line);
    // The calculator viewers centre with the odd column on the right: the text starts at column k.
    const int k = std::max(1, (FRightEdge - n) / 2);
    InsertText(Line, 1, QByteArray(1, char(0)), QByteArray(k - 1, char(CharSpace)));
}

void THPEdit2::RightAlignLine(int Line)
{
    if (Line < 0 || Line >= LineCount() || PictureOfLine(Line))
        return;
    TrimLine(Line);
    const int n = LineLength(Line);
    const int spaces = FRightEdge >= n + 1 ? FRightEdge - n : 0;
    InsertText(Line, 1, QByteArray(1, char(0)), QByteArray(spaces, char(CharSpace)));
}

bool THPEdit2::BreakAtRightEdge(int Line)
{
    // An edge below one column would split off an empty line forever.
    if (FRightEdge < 1 || Line < 0 || Line >= LineCount() || PictureOfLine(Line))
        return false;
    if (LineLength(Line) <= FRightEdge)
        return false;
    InsertText(Line, FRightEdge + 1, QByteArray(1, char(0)), QByteArray(1, char(CharLineFeed)));
    return true;
}
