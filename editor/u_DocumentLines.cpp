#include "u_DocumentLines.h"

#include "u_ByteScan.h"
#include "u_Errors.h"
#include "u_LargePages.h"
#include "u_ResourceStrings.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace {
class TLineBuilder {
public:
    TLineBuilder(TEditor Kind, uint8_t StylesUsed, TLineVector &Lines, qsizetype Expected, TLineStore *Store)
        : FLines(Lines), FStore(Store)
    {
        for (int c = 0; c < 256; ++c) {
            FAllowed[size_t(c)] = IsCharAllowed(uint8_t(c), Kind);
            QByteArray a(1, char(c));
            StripAttrs(a, Kind);
            FStrip[size_t(c)] = uint8_t(a[0]);
            if ((c & ~StylesUsed) == 0 && FStrip[size_t(c)] != c)
                FAttrsKept = false;
        }
        if (const std::optional<TByteSet> refused = RefusedCharacters(Kind)) {
            FRefused = TByteFinder(*refused);
            FRefusedKnown = true;
        }
        FLines.clear();
        // Lines are small, but a document may hold millions: room for all of them at once.
        FLines.reserve(size_t(Expected));
        NewLine();
    }

    void Run(const TReadDocument &Read, qsizetype From, qsizetype To)
    {
        if (To <= From)
            return;
        const TLargeBuffer &text = Read.Text;
        const bool perChar = Read.Attrs.Size() == text.Size();
        const char oneAttr = Read.Attrs.IsEmpty() ? char(0) : Read.Attrs.Data()[0];
        // Text after a picture starts a line of its own; a line feed there is that line break.
        if (CurrentIsPicture()) {
            NewLine();
            if (uint8_t(text.Data()[From]) == CharLineFeed)
                ++From;
        }
        qsizetype start = From;
        while (start <= To) {
            // Only up to To: a search to the end of the text would cost the whole text per picture.
            const void *feed = std::memchr(text.Data() + start, CharLineFeed, size_t(To - start));
            const qsizetype end = feed ? static_cast<const char *>(feed) - text.Data() : To;
            Append(text.Data(), perChar ? reinterpret_cast<const uint8_t *>(Read.Attrs.Data()) : nullptr, oneAttr, start, end);
            if (end == To)
                break;
            NewLine();
            start = end + 1;
        }
    }

    void Picture(int Slot)
    {
        // After text, or after another picture, the picture takes a new line and leaves an empty
        // one behind the place where the following text goes.
        if (!FLines.back().IsEmpty()) {
            NewLine();
            ++FTrailingEmpty;
        }
        const char picture = char(CharPicture), slot = char(Slot);
        FLines.back().Assign(QByteArrayView(&picture, 1), QByteArrayView(&slot, 1));
    }

    // Lines may point into the text they are built from rather than copy it; how many of its
    // bytes they point at.
    void ShareText() { FShareText = true; }
    qsizetype SharedBytes() const { return FSharedBytes; }

    void Finish()
    {
        for (int i = 0; i < FTrailingEmpty; ++i)
            NewLine();
    }

private:
    bool CurrentIsPicture() const
    {
        return FLines.back().IsPicture();
    }
    void NewLine() { FLines.emplace_back(); }

    // Attrs holds one attribute per byte of Text, or is null when every byte takes OneAttr.
    void Append(const char *Text, const uint8_t *Attrs, char OneAttr, qsizetype From, qsizetype To)
    {
        if (To <= From)
            return;
        // Filtered and stripped into the store when the line's bytes go there, otherwise into
        // buffers the builder keeps, then stored in one piece.
        const qsizetype n = To - From;
        TALine &line = FLines.back();
        const qsizetype need = Attrs || FStrip[uint8_t(OneAttr)] ? 2 * n : n;
        if (FShareText && need == n && n > TALine::InlineBytes && line.IsEmpty() && FRefusedKnown
            && FRefused.Find(reinterpret_cast<const uint8_t *>(Text), From, To) == To) {
            // A plain line with nothing to filter is already laid out as the line needs it.
            line.Share(Text + From, n, false);
            FSharedBytes += n;
            return;
        }
        const bool toStore = FStore && line.IsEmpty() && FStore->Room() >= need;
        if (FAttrs.size() < n)
            FAttrs.resize(n);
        if (!toStore && FChars.size() < n)
            FChars.resize(n);
        char *chars = toStore ? FStore->Tail() : FChars.data();
        char *attrs = FAttrs.data();
        const auto *text = reinterpret_cast<const uint8_t *>(Text);
        qsizetype k = 0;
        uint8_t styled = 0;
        const char *lineAttrs = attrs;
        if (FRefusedKnown && (!Attrs || FAttrsKept) && FRefused.Find(text, From, To) == To) {
            // Nothing to filter or strip, as in nearly every file: the bytes go across whole.
            std::memcpy(chars, text + From, size_t(n));
            k = n;
            if (Attrs) {
                lineAttrs = reinterpret_cast<const char *>(Attrs + From);
                styled = OrOfBytes(Attrs + From, n);
            } else if ((styled = FStrip[uint8_t(OneAttr)])) {
                std::memset(attrs, styled, size_t(n));
            }
        } else if (!Attrs && !FStrip[uint8_t(OneAttr)]) {
            // Plain text: only the characters to filter.
            for (qsizetype i = From; i < To; ++i) {
                const uint8_t c = text[i];
                chars[k] = char(c);
                k += FAllowed[c];
            }
        } else if (Attrs) {
            for (qsizetype i = From; i < To; ++i) {
                const uint8_t c = text[i];
                const uint8_t a = FStrip[Attrs[i]];
                chars[k] = char(c);
                attrs[k] = char(a);
                styled |= a;
                k += FAllowed[c];
            }
        } else {
            const uint8_t a = FStrip[uint8_t(OneAttr)];
            for (qsizetype i = From; i < To; ++i) {
                const uint8_t c = text[i];
                chars[k] = char(c);
                k += FAllowed[c];
            }
            std::memset(attrs, a, size_t(k));
            styled = a;
        }
        if (toStore && k > TALine::InlineBytes) {
            if (styled)
                std::memcpy(chars + k, lineAttrs, size_t(k));
            line.Share(chars, k, styled != 0);
            FStore->Use(styled ? 2 * k : k);
        } else {
            line.Append(QByteArrayView(chars, k), styled ? QByteArrayView(lineAttrs, k) : QByteArrayView());
        }
    }

    // What the kind keeps, as tables for the inner loop.
    std::array<uint8_t, 256> FAllowed{};
    std::array<uint8_t, 256> FStrip{};
    // Whether stripping leaves every attribute of the text as it is.
    bool FAttrsKept = true;
    TByteFinder FRefused{TByteSet()};
    bool FRefusedKnown = false;
    QByteArray FChars, FAttrs;
    TLineVector &FLines;
    TLineStore *FStore;
    bool FShareText = false;
    qsizetype FSharedBytes = 0;
    int FTrailingEmpty = 0;
};
} // namespace

void BuildDocumentLines(TReadDocument &&Read, TEditor Kind, TLineVector &Lines, TPictureTable &Pictures,
                        std::shared_ptr<TLineStore> *Store)
{
    const qsizetype expected = 1 + CountByte(Read.Text, CharLineFeed) + 2 * qsizetype(Read.Pictures.size());
    // A plain document's lines point into the text as read, which the store then keeps. Otherwise
    // every byte of the text goes to one line at most, with an attribute beside it when some
    // attribute is set: room enough for every line.
    const bool plain = Read.Attrs.IsEmpty();
    if (Store)
        *Store = !plain ? std::make_shared<TLineStore>(2 * Read.Text.Size()) : nullptr;
    TLineBuilder b(Kind, Read.StylesUsed, Lines, expected, Store ? Store->get() : nullptr);
    if (Store && plain)
        b.ShareText();
    Pictures.Clear();
    // A picture shown many times is looked up once.
    std::unordered_map<int, int> slotOfEntry;
    qsizetype from = 0;
    for (const TReadDocument::TPictureAt &p : Read.Pictures) {
        b.Run(Read, from, p.At);
        from = p.At;
        // Only TGV documents hold pictures.
        if (Kind != TEditor::Tgv)
            continue;
        auto it = slotOfEntry.find(p.Entry);
        int slot;
        if (it != slotOfEntry.end()) {
            slot = it->second;
            // The builder's own use of the slot stands for every line that shows it; the count
            // is raised below.
        } else {
            slot = Pictures.Add(Read.Bitmaps[size_t(p.Entry)]);
            if (!slot)
                throw EErrorLoading(ResString(TResId::sPictureTableFull));
            slotOfEntry.emplace(p.Entry, slot);
        }
        if (it != slotOfEntry.end())
            Pictures.AddUse(slot);
        b.Picture(slot);
    }
    b.Run(Read, from, Read.Text.Size());
    b.Finish();
    if (b.SharedBytes() * 2 >= Read.Text.Size()) {
        // Moving the buffer leaves its bytes where the lines point.
        *Store = std::make_shared<TLineStore>(std::move(Read.Text));
    } else if (b.SharedBytes() > 0) {
        // Mostly short lines, which hold their bytes themselves: the few that point into the
        // text take copies, rather than keep all of it.
        const auto from = reinterpret_cast<std::uintptr_t>(Read.Text.Data());
        const auto to = from + std::uintptr_t(Read.Text.Size());
        for (TALine &line : Lines)
            if (const auto at = reinterpret_cast<std::uintptr_t>(line.CharsView().data()); at >= from && at < to)
                line.Assign(line.CharsView(), {});
    }
}
