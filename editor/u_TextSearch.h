#pragma once
// Finding text in a document's lines. Patterns and lines are calculator codes; matching ignores
// case for A–Z and the accented Latin-1 letters only when asked, and a whole-word match stands
// between characters that are not letters or digits. A match never crosses a line end, and
// picture lines hold no text to find.
#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>

class THPDocument;

struct TSearchOptions {
    bool MatchCase = false;
    bool WholeWords = false;
};

class TTextSearch {
public:
    TTextSearch(const QByteArray &Pattern, TSearchOptions Options);
    int Length() const { return int(FPattern.size()); }
    bool IsEmpty() const { return FPattern.isEmpty(); }

    // 0-based index of the first match in Line starting at or after From; -1 when none.
    qsizetype IndexIn(QByteArrayView Line, qsizetype From) const;
    // 0-based index of the last match in Line that ends at or before End (an index past the
    // last character it may use); -1 when none.
    qsizetype LastIndexIn(QByteArrayView Line, qsizetype End) const;
    // Whether Text is exactly one match.
    bool Matches(QByteArrayView Text) const;

    // The next match in Doc from (Line, Pos), 1-based, going round to the top after the end;
    // Backward finds the last match ending before (Line, Pos), going round to the bottom.
    // On success Line and Pos give the match's start and Wrapped whether the search went round.
    bool FindIn(const THPDocument &Doc, int &Line, int &Pos, bool Backward, bool &Wrapped) const;

    static bool IsWordCode(uint8_t Code);
    static uint8_t Fold(uint8_t Code);

private:
    bool Accept(QByteArrayView Line, qsizetype At) const;
    bool EqualAt(QByteArrayView Line, qsizetype At) const;

    QByteArray FPattern; // folded when case does not count
    TSearchOptions FOptions;
    std::array<uint8_t, 256> FFold{};
    std::array<qsizetype, 256> FSkip{}; // Horspool shifts, by folded code
};
