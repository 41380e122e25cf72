#include "u_TextSearch.h"

#include "u_CalcCharset.h"
#include "u_THPDocument.h"

#include <QChar>

namespace {
std::array<bool, 256> WordCodes()
{
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const char32_t u = UnicodeOfCode(uint8_t(c));
        t[size_t(c)] = c == '_' || QChar::isLetterOrNumber(u);
    }
    return t;
}
} // namespace

bool TTextSearch::IsWordCode(uint8_t Code)
{
    static const std::array<bool, 256> words = WordCodes();
    return words[Code];
}

uint8_t TTextSearch::Fold(uint8_t Code)
{
    // A–Z, and the Latin-1 capitals À–Þ but the multiplication sign.
    if ((Code >= 'A' && Code <= 'Z') || (Code >= 0xC0 && Code <= 0xDE && Code != 0xD7))
        return uint8_t(Code + 32);
    return Code;
}

TTextSearch::TTextSearch(const QByteArray &Pattern, TSearchOptions Options) : FPattern(Pattern), FOptions(Options)
{
    for (int c = 0; c < 256; ++c)
        FFold[size_t(c)] = Options.MatchCase ? uint8_t(c) : Fold(uint8_t(c));
    for (char &c : FPattern)
        c = char(FFold[uint8_t(c)]);
    const qsizetype m = FPattern.size();
    FSkip.fill(m);
    for (qsizetype i = 0; i + 1 < m; ++i)
        FSkip[uint8_t(FPattern[i])] = m - 1 - i;
}

bool TTextSearch::EqualAt(QByteArrayView Line, qsizetype At) const
{
    const qsizetype m = FPattern.size();
    const auto *s = reinterpret_cast<const uint8_t *>(Line.data()) + At;
    const auto *p = reinterpret_cast<const uint8_t *>(FPattern.constData());
    for (qsizetype i = m - 1; i >= 0; --i)
        if (FFold[s[i]] != p[i])
            return false;
    return true;
}

bool TTextSearch::Accept(QByteArrayView Line, qsizetype At) const
{
    if (!FOptions.WholeWords)
        return true;
    const qsizetype end = At + FPattern.size();
    if (At > 0 && IsWordCode(uint8_t(Line[At - 1])) && IsWordCode(uint8_t(Line[At])))
        return false;
    if (end < Line.size() && IsWordCode(uint8_t(Line[end])) && IsWordCode(uint8_t(Line[end - 1])))
        return false;
    return true;
}

qsizetype TTextSearch::IndexIn(QByteArrayView Line, qsizetype From) const
{
    const qsizetype m = FPattern.size();
    const qsizetype n = Line.size();
    if (m == 0 || From < 0)
        return -1;
    const auto *s = reinterpret_cast<const uint8_t *>(Line.data());
    const uint8_t last = uint8_t(FPattern[m - 1]);
    if (m == 1) {
        // One character: a plain scan, whose steps do not wait on one another as the shifts do.
        for (qsizetype at = From; at < n; ++at)
            if (FFold[s[at]] == last && Accept(Line, at))
                return at;
        return -1;
    }
    // Horspool: the window's last character says how far the pattern may move, and only a window
    // ending in the pattern's last character is compared whole.
    for (qsizetype at = From; at + m <= n;) {
        const uint8_t c = FFold[s[at + m - 1]];
        if (c == last && EqualAt(Line, at) && Accept(Line, at))
            return at;
        at += FSkip[c];
    }
    return -1;
}

qsizetype TTextSearch::LastIndexIn(QByteArrayView Line, qsizetype End) const
{
    const qsizetype m = FPattern.size();
    End = std::min(End, Line.size());
    for (qsizetype at = End - m; at >= 0 && m > 0; --at)
        if (EqualAt(Line, at) && Accept(Line, at))
            return at;
    return -1;
}

bool TTextSearch::Matches(QByteArrayView Text) const
{
    return !FPattern.isEmpty() && Text.size() == FPattern.size() && EqualAt(Text, 0);
}

bool TTextSearch::FindIn(const THPDocument &Doc, int &Line, int &Pos, bool Backward, bool &Wrapped) const
{
    Wrapped = false;
    const int count = Doc.LineCount();
    if (FPattern.isEmpty() || count == 0)
        return false;
    const int startLine = std::clamp(Line, 0, count - 1);
    const qsizetype startIndex = std::max(0, Pos - 1);
    // Every line once, the start line twice: first its part after (before) the start, and at the
    // end of the round the whole line, where only a match in the other part can still be found.
    for (int step = 0; step <= count; ++step) {
        int l = Backward ? startLine - step : startLine + step;
        if (l < 0 || l >= count) {
            Wrapped = true;
            l = Backward ? l + count : l - count;
        }
        if (Doc.IsPictureLine(l))
            continue;
        const QByteArrayView text = Doc.Line(l).CharsView();
        qsizetype at;
        if (!Backward)
            at = step == 0 ? IndexIn(text, startIndex) : IndexIn(text, 0);
        else
            at = step == 0 ? LastIndexIn(text, startIndex) : LastIndexIn(text, text.size());
        if (at >= 0) {
            Line = l;
            Pos = int(at + 1);
            return true;
        }
    }
    return false;
}
