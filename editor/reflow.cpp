// Reflowing a paragraph: its lines joined and broken again at the spaces that keep each line
// within the right edge, every character keeping its attribute.
#include "u_THPEdit2.h"

#include <algorithm>

namespace {
// An underlined or reversed space is visible on the calculator, so it is text, not a break.
inline bool IsPlainSpace(char Ch, char Attr)
{
    return uint8_t(Ch) == CharSpace && (uint8_t(Attr) & (stUnderline | stReverse)) == 0;
}
} // namespace

bool THPEdit2::ParagraphAt(int Line, int &First, int &Last) const
{
    auto isText = [this](int L) { return L >= 0 && L < LineCount() && LineLength(L) > 0 && !PictureOfLine(L); };
    if (!isText(Line))
        return false;
    First = Last = Line;
    while (isText(First - 1))
        --First;
    while (isText(Last + 1))
        ++Last;
    return true;
}

void THPEdit2::ReflowParagraph()
{
    const int edge = std::max(1, FRightEdge);
    int first, last;
    const bool hadSelection = FSelected;
    if (hadSelection) {
        first = FSelStartLine;
        last = FSelEndLine;
        // Pictures keep their lines: the selection is reflowed up to the first one.
        for (int l = first; l <= last; ++l)
            if (PictureOfLine(l)) {
                last = l - 1;
                break;
            }
        if (last < first)
            return;
    } else if (!ParagraphAt(FCaretLine, first, last)) {
        return;
    }

    // The lines joined, each line break becoming one plain space.
    QByteArray chars, attrs;
    for (int l = first; l <= last; ++l) {
        const TALine &line = Line(l);
        if (l > first && !chars.isEmpty() && line.Length() > 0 && !IsPlainSpace(chars.back(), attrs.back())) {
            chars += char(CharSpace);
            attrs += char(0);
        }
        chars += line.CharsView();
        attrs += line.Attrs();
    }

    // Broken again: at the last plain space that keeps the line within the edge, or, for a word
    // longer than the edge, at the edge itself. The spaces at a break go.
    QByteArray text, textAttrs;
    qsizetype at = 0;
    const qsizetype n = chars.size();
    while (at < n) {
        if (n - at <= edge) {
            text += chars.mid(at);
            textAttrs += attrs.mid(at);
            break;
        }
        qsizetype cut = -1;
        for (qsizetype i = at + edge; i > at; --i)
            if (IsPlainSpace(chars[i], attrs[i])) {
                cut = i;
                break;
            }
        qsizetype next;
        if (cut < 0) {
            cut = at + edge;
            next = cut;
        } else {
            next = cut;
            while (next < n && IsPlainSpace(chars[next], attrs[next]))
                ++next;
            while (cut > at && IsPlainSpace(chars[cut - 1], attrs[cut - 1]))
                --cut;
        }
        text += chars.mid(at, cut - at);
        textAttrs += attrs.mid(at, cut - at);
        at = next;
        if (at < n) {
            text += char(CharLineFeed);
            textAttrs += char(0);
        }
    }

    // A paragraph that is already laid out so stays as it is, and the document unmodified.
    QByteArray before, beforeAttrs;
    for (int l = first; l <= last; ++l) {
        if (l > first) {
            before += char(CharLineFeed);
            beforeAttrs += char(0);
        }
        before += Line(l).CharsView();
        beforeAttrs += Line(l).Attrs();
    }
    if (before == text && beforeAttrs == textAttrs)
        return;

    FDoc->BreakMerge();
    TEditStep step(this);
    ClearSelection();
    DeleteRange(first, 1, -1, last);
    // The paragraph is now one empty line, where the new text goes.
    if (LineLength(first) != 0)
        return;
    InsertText(first, 1, textAttrs, text);
    const int newLast = first + int(text.count(char(CharLineFeed)));
    if (hadSelection)
        SelectRange(first, 1, -1, newLast);
    else
        MoveCaretTo(newLast, -1, true);
    FDoc->BreakMerge();
}
