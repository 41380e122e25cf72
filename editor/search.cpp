// Find and replace: matches are selected and scrolled into view; replacing keeps the attributes
// of the first character replaced, and Replace All is one step of the history.
#include "u_THPEdit2.h"

#include "u_TextSearch.h"

#include <algorithm>

bool THPEdit2::FindNext(const QByteArray &Pattern, TSearchOptions Options, bool Backward, bool *Wrapped)
{
    const TTextSearch search(Pattern, Options);
    // Forward from the far end of the selection, backward from its near end, so that the match
    // selected now is passed over.
    int line = FCaretLine, pos = FCaretCol;
    const bool caretFirst = ComparePos(FCaretLine, FCaretCol, FAnchorLine, FAnchorCol) < 0;
    if (FSelected && caretFirst == !Backward) {
        line = FAnchorLine;
        pos = FAnchorCol;
    }
    bool wrapped = false;
    const bool found = search.FindIn(*FDoc, line, pos, Backward, wrapped);
    if (Wrapped)
        *Wrapped = found && wrapped;
    if (!found)
        return false;
    FDoc->BreakMerge();
    SelectRange(line, pos, pos + search.Length(), line);
    return true;
}

bool THPEdit2::SelectionMatches(const QByteArray &Pattern, TSearchOptions Options) const
{
    if (!FSelected || FSelStartLine != FSelEndLine || PictureOfLine(FSelStartLine))
        return false;
    const QByteArrayView text = Line(FSelStartLine).CharsView();
    if (FSelEndCol > text.size())
        return false;
    const TTextSearch search(Pattern, Options);
    const qsizetype from = FSelStartCol - 1;
    const qsizetype length = FSelEndCol - FSelStartCol + 1;
    return search.Matches(text.sliced(from, length)) && search.IndexIn(text, from) == from;
}

QByteArray THPEdit2::Replacement(const QByteArray &With, uint8_t Attr, QByteArray &Attrs) const
{
    QByteArray codes;
    for (char c : With)
        if (IsCharAllowed(uint8_t(c), FDoc->Kind()) && uint8_t(c) != CharLineFeed)
            codes.append(c);
    Attrs = QByteArray(codes.size(), char(Attr));
    StripAttrs(Attrs, FDoc->Kind());
    return codes;
}

bool THPEdit2::ReplaceNext(const QByteArray &Pattern, const QByteArray &With, TSearchOptions Options, bool *Wrapped)
{
    if (SelectionMatches(Pattern, Options)) {
        TEditStep step(this);
        const int line = FSelStartLine, pos = FSelStartCol;
        QByteArray attrs;
        const QByteArray codes = Replacement(With, AttrAt(line, pos), attrs);
        DeleteSelection();
        InsertText(line, pos, attrs, codes);
        MoveCaretTo(line, pos + int(codes.size()), false);
    }
    return FindNext(Pattern, Options, false, Wrapped);
}

int THPEdit2::ReplaceAll(const QByteArray &Pattern, const QByteArray &With, TSearchOptions Options)
{
    const TTextSearch search(Pattern, Options);
    if (search.IsEmpty())
        return 0;
    FDoc->BreakMerge();
    TEditStep step(this);
    ClearSelection();
    int count = 0;
    for (int l = 0; l < LineCount(); ++l) {
        if (FDoc->IsPictureLine(l))
            continue;
        // Each line is rebuilt once, however many matches it holds.
        const TALine &line = Line(l);
        const QByteArrayView chars = line.CharsView();
        qsizetype at = search.IndexIn(chars, 0);
        if (at < 0)
            continue;
        const QByteArray attrsBefore = line.Attrs();
        QByteArray newChars, newAttrs;
        qsizetype done = 0;
        while (at >= 0) {
            newChars += chars.sliced(done, at - done);
            newAttrs += attrsBefore.mid(done, at - done);
            QByteArray attrs;
            newChars += Replacement(With, uint8_t(attrsBefore[at]), attrs);
            newAttrs += attrs;
            done = at + search.Length();
            ++count;
            at = search.IndexIn(chars, done);
        }
        newChars += chars.sliced(done);
        newAttrs += attrsBefore.mid(done);
        const int oldLength = int(chars.size());
        FDoc->RemoveSpan(l, 1, l, oldLength + 1);
        FDoc->InsertInLine(l, 1, newChars, newAttrs);
    }
    MoveCaretTo(FCaretLine, std::min(FCaretCol, LineLength(FCaretLine) + 1), false);
    return count;
}
