// Changing the document: insertion with the kind's filters and line splitting, deletion with line
// joining, and the tab key. A picture always keeps a line of its own.
#include "u_THPEdit2.h"

#include "u_ResourceStrings.h"

#include <algorithm>

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
    StripAttrs(attrs, FDoc->Kind());
    TEditStep step(this);
    ClearSelection();

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
            clean = IsCharAllowed(uint8_t(text[i]), FDoc->Kind());
        if (clean) {
            runs.push_back(text.mid(start, end - start));
            runAttrs.push_back(perChar ? attrs.mid(start, end - start) : QByteArray(end - start, oneAttr));
        } else {
            QByteArray run, runAttr;
            for (qsizetype i = start; i < end; ++i)
                if (IsCharAllowed(uint8_t(text[i]), FDoc->Kind())) {
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
        // All new lines go in with one insertion into the line list, laid out once, however many
        // lines the text holds.
        const qsizetype cut = Pos - 1 + runs.front().size();
        const int k = int(runs.size()) - 1;
        TLineVector lines;
        lines.reserve(size_t(k));
        for (int r = 1; r <= k; ++r)
            lines.emplace_back(runs[size_t(r)], runAttrs[size_t(r)]);
        const qsizetype lastRun = lines.back().Length();
        // The caret follows the text it stood before.
        if (FCaretLine == Line && FCaretCol >= cut + 1) {
            FCaretCol = int(FCaretCol - cut + lastRun);
            FCaretLine += k;
        } else if (FCaretLine > Line) {
            FCaretLine += k;
        }
        FDoc->BreakLine(Line, int(cut + 1), std::move(lines));
    }
    MoveCaretTo(FCaretLine, FCaretCol, false);
}

void THPEdit2::InsertAtCaret(const QByteArray &Text, const QByteArray &Attrs)
{
    // What replaces a selection must not land in the middle of one that stays.
    if (RefuseStuckSelection())
        return;
    TEditStep step(this);
    DeleteSelection();
    InsertText(FCaretLine, FCaretCol, Attrs, Text);
}

void THPEdit2::InsertAt(int Line, int Pos, const QByteArray &Attrs, const QByteArray &Text)
{
    if (Text.isEmpty())
        return;
    TEditStep step(this);
    FDoc->InsertInLine(Line, Pos, Text, Attrs);
    if (FCaretLine == Line && FCaretCol >= Pos)
        FCaretCol += int(Text.size());
}

void THPEdit2::SplitLine(int Line, int Pos)
{
    TEditStep step(this);
    TLineVector next(1);
    FDoc->BreakLine(Line, Pos, std::move(next));
    if (ComparePos(FCaretLine, FCaretCol, Line, Pos) >= 0) {
        if (FCaretLine == Line)
            FCaretCol = FCaretCol - Pos + 1;
        ++FCaretLine;
    }
}

bool THPEdit2::PictureSelectedAlone() const
{
    return FSelected && FSelStartLine == FSelEndLine && FSelStartCol == 1 && FSelEndCol == 1 && PictureOfLine(FSelStartLine);
}

bool THPEdit2::RefuseStuckSelection()
{
    if (!FSelected || PictureSelectedAlone() || !RangeHasPicture(FSelStartLine, FSelEndLine))
        return false;
    Note(ResString(TResId::sSelectionHoldsPicture));
    return true;
}

bool THPEdit2::RangeHasPicture(int LineA, int LineB) const
{
    for (int i = std::max(0, LineA); i <= LineB && i < LineCount(); ++i)
        if (Line(i).IsPicture())
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
    TEditStep step(this);
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
    // Delete at the very end of the document removes nothing, records no step and leaves the
    // document as saved.
    DeleteChars(LineA, PosA, int(std::min<qint64>(count, INT_MAX)));
}

void THPEdit2::DeleteChars(int Line, int Pos, int Count)
{
    if (Line < 0 || Line >= LineCount() || Count <= 0)
        return;
    Pos = std::clamp(Pos, 1, LineLength(Line) + 1);
    // Equivalent to deleting one position Count times at (Line, Pos) — a character, or the line
    // end by joining the next line — done as one cut, so a large deletion stays linear.
    const bool prefixEmpty = Pos == 1;
    const bool prefixIsPicture = Pos == 2 && this->Line(Line).IsPicture();
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
        const TALine &next = this->Line(j + 1);
        // The same refusals as JoinLines: a picture never shares its line with text.
        if ((next.IsPicture() && !prefixEmpty) || (prefixIsPicture && !next.IsEmpty()))
            break;
        --rem;
        ++j;
        start = 0;
    }
    // Pictures whose character is cut lose the use of that line.
    TEditStep step(this);
    FDoc->RemoveSpan(Line, Pos, j, int(start + 1));
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
    MoveCaretTo(FCaretLine, FCaretCol, false);
}

void THPEdit2::JoinLines(int Line)
{
    const int next = Line + 1;
    if (Line < 0 || next >= LineCount())
        return;
    const TALine &a = this->Line(Line);
    const TALine &b = this->Line(next);
    if ((b.IsPicture() && !a.IsEmpty()) || (a.IsPicture() && !b.IsEmpty()))
        return;
    const int headLength = a.Length();
    if (FCaretLine == next)
        FCaretCol += headLength;
    if (FCaretLine > Line)
        --FCaretLine;
    TEditStep step(this);
    FDoc->RemoveSpan(Line, headLength + 1, next, 1);
}

void THPEdit2::DeleteSelection()
{
    if (!FSelected || RefuseStuckSelection())
        return;
    TEditStep step(this);
    if (PictureSelectedAlone()) {
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
    TEditStep step(this);
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
