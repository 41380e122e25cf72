#include "u_DocumentLines.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <unordered_map>

namespace {
class TLineBuilder {
public:
    TLineBuilder(TEditor Kind, std::vector<TALine> &Lines, qsizetype Expected) : FKind(Kind), FLines(Lines)
    {
        FLines.clear();
        // Lines are small, but a document may hold millions: room for all of them at once.
        FLines.reserve(size_t(Expected));
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
            qsizetype end = text.indexOf(char(CharLineFeed), start);
            if (end < 0 || end > To)
                end = To;
            Append(text, perChar ? Read.Attrs : QByteArray(), oneAttr, start, end);
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

    void Append(const QByteArray &Text, const QByteArray &Attrs, char OneAttr, qsizetype From, qsizetype To)
    {
        if (To <= From)
            return;
        bool clean = true;
        for (qsizetype i = From; i < To && clean; ++i)
            clean = IsCharAllowed(uint8_t(Text[i]), FKind);
        QByteArray attrs;
        if (clean) {
            if (!Attrs.isEmpty())
                attrs = Attrs.mid(From, To - From);
            else if (OneAttr != 0)
                attrs = QByteArray(To - From, OneAttr);
            StripAttrs(attrs, FKind);
            FLines.back().Append(QByteArrayView(Text).sliced(From, To - From), attrs);
            return;
        }
        QByteArray chars;
        for (qsizetype i = From; i < To; ++i)
            if (IsCharAllowed(uint8_t(Text[i]), FKind)) {
                chars.append(Text[i]);
                attrs.append(Attrs.isEmpty() ? OneAttr : Attrs[i]);
            }
        StripAttrs(attrs, FKind);
        FLines.back().Append(chars, attrs);
    }

    TEditor FKind;
    std::vector<TALine> &FLines;
    int FTrailingEmpty = 0;
};
} // namespace

void BuildDocumentLines(const TReadDocument &Read, TEditor Kind, std::vector<TALine> &Lines,
                        TPictureTable &Pictures)
{
    const qsizetype expected = 1 + Read.Text.count(char(CharLineFeed)) + 2 * qsizetype(Read.Pictures.size());
    TLineBuilder b(Kind, Lines, expected);
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
