// Changing the document: insertion with the kind's filters and line splitting, deletion with line
// joining, and the tab key. A picture always keeps a line of its own.
#include "u_THPEdit2.h"

#include <algorithm>

namespace {
inline bool IsPictureLine(const TALine &L)
{
    return L.Chars.size() == 1 && uint8_t(L.Chars[0]) == CharPicture;
}
} // namespace

void THPEdit2::InsertText(int Line, int Pos, const QByteArray &Attrs, const QByteArray &Text)
{
    if (Line < 0 || Line >= LineCount())
        return;
    Pos = std::clamp(Pos, 1, LineLength(Line) + 1);
    QByteArray text = Text;
    QByteArray attrs = Attrs;
    if (PictureOfLine(Line)) {
        // Text may only go before a picture when it ends the line there, and after it only on a
        // line of its own, so a line feed goes in front.
        if (Pos == 1 && !text.endsWith(char(CharLineFeed)))
            return;
        if (Pos > 1 && !text.startsWith(char(CharLineFeed))) {
            if (attrs.size() == text.size() && !text.isEmpty())
                attrs.prepend(char(0));
            text.prepend(char(CharLineFeed));
        }
    }
    StripAttrs(attrs, FEditor);
    ClearSelection();
    SetModified(true);
    // A line break moves the lines below: their pixels are moved too, and only the lines that
    // changed are painted again.
    InvalidateFrom(Line, Pos, false);
    const int oldBottom = FLines[size_t(Line)]->Top + LineHeight(Line);

    // The runs between line feeds, filtered, each with its attributes. A run without refused codes
    // is taken as one slice.
    std::vector<QByteArray> runs, runAttrs;
    const bool perChar = attrs.size() == text.size();
    const char oneAttr = attrs.isEmpty() ? char(0) : attrs[0];
    qsizetype start = 0;
    while (true) {
        qsizetype end = text.indexOf(char(CharLineFeed), start);
        const bool last = end < 0;
        if (last)
            end = text.size();
        bool clean = true;
        for (qsizetype i = start; i < end && clean; ++i)
            clean = IsCharAllowed(uint8_t(text[i]), FEditor);
        if (clean) {
            runs.push_back(text.mid(start, end - start));
            runAttrs.push_back(perChar ? attrs.mid(start, end - start) : QByteArray(end - start, oneAttr));
        } else {
            QByteArray run, runAttr;
            for (qsizetype i = start; i < end; ++i)
                if (IsCharAllowed(uint8_t(text[i]), FEditor)) {
                    run.append(text[i]);
                    runAttr.append(perChar ? attrs[i] : oneAttr);
                }
            runs.push_back(run);
            runAttrs.push_back(runAttr);
        }
        if (last)
            break;
        start = end + 1;
    }

    InsertAt(Line, Pos, runAttrs.front(), runs.front());
    if (runs.size() > 1) {
        // All new lines go in with one insertion into the line list, and the tops are recomputed
        // once, however many lines the text holds.
        TALine &first = *FLines[size_t(Line)];
        const qsizetype cut = Pos - 1 + runs.front().size();
        QByteArray tailChars = first.Chars.mid(cut);
        QByteArray tailAttrs = first.Attrs.mid(cut);
        first.Chars.truncate(cut);
        first.Attrs.truncate(cut);
        const int k = int(runs.size()) - 1;
        std::vector<std::unique_ptr<TALine>> lines;
        lines.reserve(size_t(k));
        for (int r = 1; r <= k; ++r) {
            auto l = std::make_unique<TALine>();
            l->Owner = this;
            l->Chars = std::move(runs[size_t(r)]);
            l->Attrs = std::move(runAttrs[size_t(r)]);
            lines.push_back(std::move(l));
        }
        const qsizetype lastRun = lines.back()->Chars.size();
        lines.back()->Chars.append(tailChars);
        lines.back()->Attrs.append(tailAttrs);
        // The caret follows the text it stood before.
        if (FCaretLine == Line && FCaretCol >= cut + 1) {
            FCaretCol = int(FCaretCol - cut + lastRun);
            FCaretLine += k;
        } else if (FCaretLine > Line) {
            FCaretLine += k;
        }
        InsertLines(Line + 1, std::move(lines));
        RecomputeTops(Line);
        UpdateVisibleLines();
        const int newBottom = FLines[size_t(Line + k)]->Top + LineHeight(Line + k);
        ShiftViewBelow(oldBottom, newBottom - oldBottom);
        InvalidateLines(Line, Line + k);
    }
    InvalidateFrom(Line, Pos, false);
    MoveCaretTo(FCaretLine, FCaretCol, false);
}

void THPEdit2::InsertLines(int At, std::vector<std::unique_ptr<TALine>> &&NewLines)
{
    FLines.insert(FLines.begin() + At, std::make_move_iterator(NewLines.begin()),
                  std::make_move_iterator(NewLines.end()));
}

void THPEdit2::InsertAtCaret(const QByteArray &Text, const QByteArray &Attrs)
{
    DeleteSelection();
    InsertText(FCaretLine, FCaretCol, Attrs, Text);
}

void THPEdit2::InsertAt(int Line, int Pos, const QByteArray &Attrs, const QByteArray &Text)
{
    if (Text.isEmpty())
        return;
    TALine &line = *FLines[size_t(Line)];
    line.Chars.insert(Pos - 1, Text);
    if (Attrs.size() == Text.size())
        line.Attrs.insert(Pos - 1, Attrs);
    else
        line.Attrs.insert(Pos - 1, Text.size(), Attrs.isEmpty() ? char(0) : Attrs[0]);
    if (FCaretLine == Line && FCaretCol >= Pos)
        FCaretCol += int(Text.size());
}

void THPEdit2::SplitLine(int Line, int Pos)
{
    TALine &line = *FLines[size_t(Line)];
    const int oldBottom = line.Top + LineHeight(Line);
    auto next = std::make_unique<TALine>();
    next->Owner = this;
    next->Chars = line.Chars.mid(Pos - 1);
    next->Attrs = line.Attrs.mid(Pos - 1);
    line.Chars.truncate(Pos - 1);
    line.Attrs.truncate(Pos - 1);
    FLines.insert(FLines.begin() + Line + 1, std::move(next));
    if (ComparePos(FCaretLine, FCaretCol, Line, Pos) >= 0) {
        if (FCaretLine == Line)
            FCaretCol = FCaretCol - Pos + 1;
        ++FCaretLine;
    }
    RecomputeTops(Line + 1);
    UpdateVisibleLines();
    ShiftViewBelow(oldBottom, FLines[size_t(Line + 1)]->Top + LineHeight(Line + 1) - oldBottom);
    InvalidateLines(Line, Line + 1);
    FCurLine = FLines[size_t(FCaretLine)].get();
}

bool THPEdit2::RangeHasPicture(int LineA, int LineB) const
{
    for (int i = std::max(0, LineA); i <= LineB && i < LineCount(); ++i)
        if (IsPictureLine(*FLines[size_t(i)]))
            return true;
    return false;
}

void THPEdit2::DeleteRange(int LineA, int PosA, int PosB, int LineB)
{
    if (LineA < 0 || LineB >= LineCount() || LineA > LineB)
        return;
    // A picture is removed only as a selection of its own, never as part of a range.
    if (RangeHasPicture(LineA, LineB))
        return;
    ClearSelection();
    if (PosB == -1)
        PosB = LineLength(LineB);
    qint64 count;
    if (LineA == LineB) {
        count = PosB - PosA + 1;
    } else {
        count = LineLength(LineA) + 1 - PosA + 1 + PosB;
        for (int i = LineA + 1; i < LineB; ++i)
            count += LineLength(i) + 1;
    }
    if (count <= 0)
        return;
    // Joined lines move what follows them up; DeleteChars moves those pixels itself.
    InvalidateFrom(LineA, PosA, false);
    const int linesBefore = LineCount();
    const int lengthBefore = LineLength(LineA);
    DeleteChars(LineA, PosA, int(std::min<qint64>(count, INT_MAX)));
    InvalidateFrom(LineA, PosA, false);
    // Delete at the very end of the document removes nothing and leaves the document as saved.
    if (LineCount() != linesBefore || LineLength(LineA) != lengthBefore)
        SetModified(true);
}

void THPEdit2::DeleteChars(int Line, int Pos, int Count)
{
    if (Line < 0 || Line >= LineCount() || Count <= 0)
        return;
    Pos = std::clamp(Pos, 1, LineLength(Line) + 1);
    // Equivalent to deleting one position Count times at (Line, Pos) — a character, or the line
    // end by joining the next line — done as one cut, so a large deletion stays linear.
    TALine &head = *FLines[size_t(Line)];
    const QByteArray prefix = head.Chars.left(Pos - 1);
    const bool prefixIsPicture = prefix.size() == 1 && uint8_t(prefix[0]) == CharPicture;
    int j = Line;
    qsizetype start = Pos - 1; // 0-based index in line j where the kept text resumes
    qint64 rem = Count;
    while (rem > 0) {
        const qsizetype avail = LineLength(j) - start;
        if (rem <= avail) {
            start += rem;
            break;
        }
        rem -= avail;
        start = LineLength(j);
        if (j >= LineCount() - 1)
            break;
        const TALine &next = *FLines[size_t(j + 1)];
        // The same refusals as JoinLines: a picture never shares its line with text.
        if ((IsPictureLine(next) && !prefix.isEmpty()) || (prefixIsPicture && !next.Chars.isEmpty()))
            break;
        --rem;
        ++j;
        start = 0;
    }
    // Pictures whose character is cut lose the reference of that line.
    for (int i = Line; i <= j; ++i) {
        const TALine &l = *FLines[size_t(i)];
        if (IsPictureLine(l)) {
            const qsizetype from = i == Line ? Pos - 1 : 0;
            const qsizetype to = i == j ? start : l.Chars.size();
            if (from == 0 && to >= 1)
                ReleasePicture(uint8_t(l.Attrs[0]));
        }
    }
    const int oldBottom = FLines[size_t(j)]->Top + LineHeight(j);
    if (j == Line) {
        head.Chars.remove(Pos - 1, start - (Pos - 1));
        head.Attrs.remove(Pos - 1, start - (Pos - 1));
    } else {
        const TALine &last = *FLines[size_t(j)];
        head.Chars = prefix + last.Chars.mid(start);
        head.Attrs = head.Attrs.left(Pos - 1) + last.Attrs.mid(start);
        FLines.erase(FLines.begin() + Line + 1, FLines.begin() + j + 1);
    }
    // The caret keeps its place in the text that remains.
    if (FCaretLine > j) {
        FCaretLine -= j - Line;
    } else if (ComparePos(FCaretLine, FCaretCol, Line, Pos) > 0) {
        if (FCaretLine == j && FCaretCol - 1 >= start)
            FCaretCol = int(Pos + (FCaretCol - 1 - start));
        else
            FCaretCol = Pos;
        FCaretLine = Line;
    }
    if (j != Line) {
        RecomputeTops(Line);
        UpdateVisibleLines();
        ShiftViewBelow(oldBottom, head.Top + LineHeight(Line) - oldBottom);
        InvalidateLines(Line, Line);
    }
    MoveCaretTo(FCaretLine, FCaretCol, false);
}

void THPEdit2::JoinLines(int Line)
{
    const int next = Line + 1;
    if (Line < 0 || next >= LineCount())
        return;
    TALine &a = *FLines[size_t(Line)];
    const TALine &b = *FLines[size_t(next)];
    if ((IsPictureLine(b) && !a.Chars.isEmpty()) || (IsPictureLine(a) && !b.Chars.isEmpty()))
        return;
    const int oldBottom = b.Top + LineHeight(next);
    if (FCaretLine == next)
        FCaretCol += int(a.Chars.size());
    if (FCaretLine > Line)
        --FCaretLine;
    a.Chars.append(b.Chars);
    a.Attrs.append(b.Attrs);
    FLines.erase(FLines.begin() + next);
    RecomputeTops(Line);
    UpdateVisibleLines();
    ShiftViewBelow(oldBottom, a.Top + LineHeight(Line) - oldBottom);
    InvalidateLines(Line, Line);
    FCurLine = FLines[size_t(FCaretLine)].get();
}

void THPEdit2::DeleteSelection()
{
    if (!FSelected)
        return;
    if (FSelStartLine == FSelEndLine && FSelStartCol == 1 && FSelEndCol == 1 && PictureOfLine(FSelStartLine)) {
        DeletePictureLine(FSelStartLine);
        return;
    }
    DeleteRange(FSelStartLine, FSelStartCol, FSelEndCol, FSelEndLine);
}

void THPEdit2::DeleteForward()
{
    DeleteRange(FCaretLine, FCaretCol, FCaretCol, FCaretLine);
}

void THPEdit2::DeleteBackward()
{
    int l = FCaretLine, c = FCaretCol;
    if (!PrevPos(l, c))
        return;
    const uint8_t a = AttrAt(l, c);
    DeleteRange(l, c, c, l);
    SetCurrentAttr(a);
}

void THPEdit2::InsertTab()
{
    // Stops at 1, 1 + TabLength, 1 + 2 × TabLength…; a length below 1 would never advance.
    const int step = std::max(1, FTabLength);
    int t = 1;
    while (t <= FCaretCol)
        t += step;
    InsertText(FCaretLine, FCaretCol, QByteArray(1, char(0)), QByteArray(t - FCaretCol, char(CharSpace)));
}
