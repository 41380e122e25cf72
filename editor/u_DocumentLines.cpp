#include "u_DocumentLines.h"

#include "u_Errors.h"
#include "u_LargePages.h"
#include "u_ResourceStrings.h"

#include <array>
#include <cstring>
#include <unordered_map>

namespace {
class TLineBuilder {
public:
    TLineBuilder(TEditor Kind, std::vector<TALine> &Lines, qsizetype Expected, TLineStore *Store)
        : FLines(Lines), FStore(Store)
    {
        for (int c = 0; c < 256; ++c) {
            FAllowed[size_t(c)] = IsCharAllowed(uint8_t(c), Kind);
            QByteArray a(1, char(c));
            StripAttrs(a, Kind);
            FStrip[size_t(c)] = uint8_t(a[0]);
        }
        FLines.clear();
        // Lines are small, but a document may hold millions: room for all of them at once.
        FLines.reserve(size_t(Expected));
        AdviseLargePages(FLines.data(), FLines.capacity() * sizeof(TALine));
        NewLine();
    }

    void Run(const TReadDocument &Read, qsizetype From, qsizetype To)
    {
        if (To <= From)
            return;
        const QByteArray &text = Read.Text;
        const bool perChar = Read.Attrs.size() == text.size();
        const char oneAttr = Read.Attrs.isEmpty() ? char(0) : Read.Attrs[0];
        // Text after a picture starts a line of its own; a line feed there is that line break.
        if (CurrentIsPicture()) {
            NewLine();
            if (uint8_t(text[From]) == CharLineFeed)
                ++From;
        }
        qsizetype start = From;
        while (start <= To) {
            // Only up to To: a search to the end of the text would cost the whole text per picture.
            const void *feed = std::memchr(text.constData() + start, CharLineFeed, size_t(To - start));
            const qsizetype end = feed ? static_cast<const char *>(feed) - text.constData() : To;
            Append(text, perChar ? reinterpret_cast<const uint8_t *>(Read.Attrs.constData()) : nullptr, oneAttr, start, end);
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
    void Append(const QByteArray &Text, const uint8_t *Attrs, char OneAttr, qsizetype From, qsizetype To)
    {
        if (To <= From)
            return;
        // Filtered and stripped into the store when the line's bytes go there, otherwise into
        // buffers the builder keeps, then stored in one piece.
        const qsizetype n = To - From;
        TALine &line = FLines.back();
        const qsizetype need = Attrs || FStrip[uint8_t(OneAttr)] ? 2 * n : n;
        const bool toStore = FStore && line.IsEmpty() && FStore->Room() >= need;
        if (FAttrs.size() < n)
            FAttrs.resize(n);
        if (!toStore && FChars.size() < n)
            FChars.resize(n);
        char *chars = toStore ? FStore->Tail() : FChars.data();
        char *attrs = FAttrs.data();
        const auto *text = reinterpret_cast<const uint8_t *>(Text.constData());
        qsizetype k = 0;
        uint8_t styled = 0;
        if (!Attrs && !FStrip[uint8_t(OneAttr)]) {
            // Plain text, the common case: only the characters to filter.
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
                std::memcpy(chars + k, attrs, size_t(k));
            line.Share(chars, k, styled != 0);
            FStore->Use(styled ? 2 * k : k);
        } else {
            line.Append(QByteArrayView(chars, k), styled ? QByteArrayView(attrs, k) : QByteArrayView());
        }
    }

    // What the kind keeps, as tables for the inner loop.
    std::array<uint8_t, 256> FAllowed{};
    std::array<uint8_t, 256> FStrip{};
    QByteArray FChars, FAttrs;
    std::vector<TALine> &FLines;
    TLineStore *FStore;
    int FTrailingEmpty = 0;
};
} // namespace

void BuildDocumentLines(const TReadDocument &Read, TEditor Kind, std::vector<TALine> &Lines,
                        TPictureTable &Pictures, std::shared_ptr<TLineStore> *Store)
{
    const qsizetype expected = 1 + Read.Text.count(char(CharLineFeed)) + 2 * qsizetype(Read.Pictures.size());
    if (Store) {
        // Every byte of the text goes to one line at most, with an attribute beside it when some
        // attribute is set: room enough for every line.
        const qsizetype room = Read.Attrs.isEmpty() ? Read.Text.size() : 2 * Read.Text.size();
        *Store = room > 0 ? std::make_shared<TLineStore>(room) : nullptr;
    }
    TLineBuilder b(Kind, Lines, expected, Store ? Store->get() : nullptr);
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
    b.Run(Read, from, Read.Text.size());
    b.Finish();
}
