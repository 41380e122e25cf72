#include "u_DocumentLines.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <unordered_map>

namespace {
class TLineBuilder {
public:
    TLineBuilder(TEditor Kind, std::vector<std::unique_ptr<TALine>> &Lines) : FKind(Kind), FLines(Lines)
    {
        FLines.clear();
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
        if (!FLines.back()->Chars.isEmpty()) {
            NewLine();
            ++FTrailingEmpty;
        }
        TALine &l = *FLines.back();
        l.Chars = QByteArray(1, char(CharPicture));
        l.Attrs = QByteArray(1, char(Slot));
    }

    void Finish()
    {
        for (int i = 0; i < FTrailingEmpty; ++i)
            NewLine();
    }

private:
    bool CurrentIsPicture() const
    {
        const TALine &l = *FLines.back();
        return l.Chars.size() == 1 && uint8_t(l.Chars[0]) == CharPicture;
    }
    void NewLine() { FLines.push_back(std::make_unique<TALine>()); }

    void Append(const QByteArray &Text, const QByteArray &Attrs, char OneAttr, qsizetype From, qsizetype To)
    {
        if (To <= From)
            return;
        TALine &l = *FLines.back();
        const qsizetype at = l.Attrs.size();
        bool clean = true;
        for (qsizetype i = From; i < To && clean; ++i)
            clean = IsCharAllowed(uint8_t(Text[i]), FKind);
        if (clean) {
            l.Chars.append(Text.constData() + From, To - From);
            if (Attrs.isEmpty())
                l.Attrs.append(To - From, OneAttr);
            else
                l.Attrs.append(Attrs.constData() + From, To - From);
        } else {
            for (qsizetype i = From; i < To; ++i)
                if (IsCharAllowed(uint8_t(Text[i]), FKind)) {
                    l.Chars.append(Text[i]);
                    l.Attrs.append(Attrs.isEmpty() ? OneAttr : Attrs[i]);
                }
        }
        QByteArray added = l.Attrs.mid(at);
        StripAttrs(added, FKind);
        l.Attrs.replace(at, added.size(), added);
    }

    TEditor FKind;
    std::vector<std::unique_ptr<TALine>> &FLines;
    int FTrailingEmpty = 0;
};
} // namespace

void BuildDocumentLines(const TReadDocument &Read, TEditor Kind, std::vector<std::unique_ptr<TALine>> &Lines,
                        TPictureTable &Pictures)
{
    TLineBuilder b(Kind, Lines);
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
