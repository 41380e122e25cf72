// The document model: lines, the picture table, the operations that change them and the steps of
// the undo history those operations record.
#include "u_THPDocument.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QSignalBlocker>
#include <QUndoCommand>
#include <algorithm>

// ---- TPictureHP

namespace {
size_t PixelHash(const QImage &Bitmap)
{
    return qHashBits(Bitmap.constBits(), size_t(Bitmap.sizeInBytes()), size_t(Bitmap.width()));
}
} // namespace

TPictureHP::TPictureHP(const QImage &Source) : Bitmap(CalcBitmap(Source)), Hash(PixelHash(Bitmap)) {}

bool TPictureHP::SamePixels(const QImage &Other) const
{
    // Both calculator bitmaps, whose unused bits are clear: equal bytes are equal pixels.
    return Bitmap.size() == Other.size() && Bitmap.sizeInBytes() == Other.sizeInBytes() &&
           std::equal(Bitmap.constBits(), Bitmap.constBits() + Bitmap.sizeInBytes(), Other.constBits());
}

const QImage &TPictureHP::Zoomed() const
{
    if (FZoomed.isNull() && !Bitmap.isNull()) {
        const int w = Bitmap.width(), h = Bitmap.height();
        QImage z(w * 2, h * 2, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            const uchar *src = Bitmap.constScanLine(y);
            QRgb *d0 = reinterpret_cast<QRgb *>(z.scanLine(2 * y));
            QRgb *d1 = reinterpret_cast<QRgb *>(z.scanLine(2 * y + 1));
            for (int x = 0; x < w; ++x) {
                const QRgb c = (src[x / 8] >> (x % 8)) & 1 ? 0xFF000000 : 0xFFFFFFFF;
                d0[2 * x] = d0[2 * x + 1] = d1[2 * x] = d1[2 * x + 1] = c;
            }
        }
        FZoomed = z;
    }
    return FZoomed;
}

// ---- TPictureTable

int TPictureTable::FindSame(const QImage &Bitmap, size_t Hash) const
{
    for (auto it = FByHash.constFind(Hash); it != FByHash.cend() && it.key() == Hash; ++it)
        if (FSlots[size_t(it.value())]->SamePixels(Bitmap))
            return it.value();
    return 0;
}

int TPictureTable::FreeSlot() const
{
    for (int k = 1; k <= SlotCount; ++k)
        if (FUses[size_t(k)] == 0)
            return k;
    return 0;
}

void TPictureTable::Put(int Slot, TSharedRef<TPictureHP> Picture)
{
    if (FSlots[size_t(Slot)])
        FByHash.remove(FSlots[size_t(Slot)]->Hash, Slot);
    FByHash.insert(Picture->Hash, Slot);
    FSlots[size_t(Slot)] = std::move(Picture);
    FUses[size_t(Slot)] = 1;
}

int TPictureTable::Add(const QImage &Source)
{
    // Made first, so that its bitmap is converted and hashed once whether it is kept or not.
    auto picture = TSharedRef<TPictureHP>::Adopt(new TPictureHP(Source));
    if (const int k = FindSame(picture->Bitmap, picture->Hash)) {
        ++FUses[size_t(k)];
        return k;
    }
    const int k = FreeSlot();
    if (k)
        Put(k, std::move(picture));
    return k;
}

int TPictureTable::AddShared(const TSharedRef<TPictureHP> &Picture)
{
    for (auto it = FByHash.constFind(Picture->Hash); it != FByHash.cend() && it.key() == Picture->Hash; ++it)
        if (FSlots[size_t(it.value())] == Picture) {
            ++FUses[size_t(it.value())];
            return it.value();
        }
    if (const int k = FindSame(Picture->Bitmap, Picture->Hash)) {
        ++FUses[size_t(k)];
        return k;
    }
    const int k = FreeSlot();
    if (k)
        Put(k, Picture);
    return k;
}

void TPictureTable::Release(int Slot)
{
    if (Slot < 1 || Slot > SlotCount || FUses[size_t(Slot)] == 0)
        return;
    if (--FUses[size_t(Slot)] == 0) {
        FByHash.remove(FSlots[size_t(Slot)]->Hash, Slot);
        FSlots[size_t(Slot)].reset();
    }
}

void TPictureTable::Clear()
{
    for (auto &s : FSlots)
        s.reset();
    FUses.fill(0);
    FByHash.clear();
}

// ---- Steps

struct TDocStepData {
    THPDocument *Doc = nullptr;
    bool Fonts = false;
    int First = 0;
    std::vector<TSavedLine> Before, After;
    std::array<QString, 3> FontsBefore, FontsAfter;
    TCaretState CaretBefore, CaretAfter;
    bool Typing = false;
    int MergeSerial = 0;
    qint64 Bytes = 0;

    void Count()
    {
        qint64 n = 0;
        for (const auto *lines : {&Before, &After})
            for (const TSavedLine &l : *lines)
                n += l.Line.HeapBytes() + qint64(sizeof(TSavedLine));
        Doc->FHistoryBytes += n - Bytes;
        Bytes = n;
    }
    ~TDocStepData() { Doc->FHistoryBytes -= Bytes; }
};

class TDocStep : public QUndoCommand {
public:
    static constexpr int TypingId = 1;
    explicit TDocStep(std::shared_ptr<TDocStepData> Data) : FData(std::move(Data)) {}
    int id() const override { return FData->Typing ? TypingId : -1; }
    void undo() override
    {
        if (!FData->Doc->FReplaying)
            FData->Doc->ApplyStep(*FData, false);
    }
    void redo() override
    {
        // A step enters the history once its change is made already.
        if (std::exchange(FPushed, true) && !FData->Doc->FReplaying)
            FData->Doc->ApplyStep(*FData, true);
    }
    bool mergeWith(const QUndoCommand *Other) override
    {
        const TDocStepData &o = *static_cast<const TDocStep *>(Other)->FData;
        TDocStepData &d = *FData;
        // Characters typed one after the other on one line, with nothing in between.
        if (!o.Typing || o.MergeSerial != d.MergeSerial || o.First != d.First || d.Before.size() != 1 ||
            d.After.size() != 1 || o.Before.size() != 1 || o.After.size() != 1 || !(o.CaretBefore == d.CaretAfter))
            return false;
        d.After = o.After;
        d.CaretAfter = o.CaretAfter;
        d.Count();
        return true;
    }
    const std::shared_ptr<TDocStepData> &Data() const { return FData; }

private:
    std::shared_ptr<TDocStepData> FData;
    bool FPushed = false;
};

// ---- THPDocument

THPDocument::THPDocument(TEditor Kind, QObject *Parent) : QObject(Parent), FKind(Kind)
{
    FHistory.setUndoLimit(MaxSteps);
    connect(&FHistory, &QUndoStack::cleanChanged, this, [this] { UpdateModified(); });
    FLines.emplace_back();
}

THPDocument::~THPDocument()
{
    // The history's last clean-state signal comes while it is destroyed, after the members that
    // signal would read are gone.
    disconnect(&FHistory, nullptr, this, nullptr);
}

// ---- Fonts

void THPDocument::SetFonts(const std::array<QString, 3> &Names)
{
    std::exception_ptr firstError;
    for (int i = 0; i < 3; ++i) {
        try {
            FFonts.Set(i, Names[size_t(i)]);
        } catch (const EError &) {
            if (!firstError)
                firstError = std::current_exception();
        }
    }
    emit FontsChanged();
    if (firstError)
        std::rethrow_exception(firstError);
}

void THPDocument::SetFont(int Index, const QString &Name)
{
    bool changed = false;
    try {
        changed = FFonts.Set(Index, Name);
    } catch (const EError &) {
        // The slot was emptied before the file failed.
        emit FontsChanged();
        throw;
    }
    if (changed)
        emit FontsChanged();
}

void THPDocument::ReleaseFont(int Index)
{
    if (FFonts.Release(Index))
        emit FontsChanged();
}

TPictureHP *THPDocument::PictureOfLine(int I) const
{
    const TALine &line = FLines[size_t(I)];
    return line.IsPicture() ? Picture(line.Attr(0)) : nullptr;
}

int THPDocument::AddPicture(const QImage &Bitmap)
{
    const int slot = FPictures.Add(Bitmap);
    if (!slot)
        throw EErrorLoading(ResString(TResId::sPictureTableFull));
    return slot;
}

TSavedLine THPDocument::Save(int I) const
{
    TSavedLine s{FLines[size_t(I)], {}};
    if (IsPictureLine(I))
        s.Picture = TSharedRef<TPictureHP>::Share(PictureOfLine(I));
    return s;
}

void THPDocument::Touch(int First, int Last)
{
    if (!FHasSpan) {
        FHasSpan = true;
        FSpanFirst = First;
        FSpanEnd = Last + 1;
        FDelta = 0;
        FSpanBefore.clear();
        for (int i = First; i <= Last; ++i)
            FSpanBefore.push_back(Save(i));
        return;
    }
    // Lines outside the span have not changed yet, so their present content is their old one.
    if (First < FSpanFirst) {
        std::vector<TSavedLine> front;
        for (int i = First; i < FSpanFirst; ++i)
            front.push_back(Save(i));
        FSpanBefore.insert(FSpanBefore.begin(), std::make_move_iterator(front.begin()), std::make_move_iterator(front.end()));
        FSpanFirst = First;
    }
    const int end = FSpanEnd + FDelta;
    if (Last >= end) {
        for (int i = end; i <= Last; ++i)
            FSpanBefore.push_back(Save(i));
        FSpanEnd += Last + 1 - end;
    }
}

void THPDocument::AutoStepBegin()
{
    if (FDepth == 0) {
        FAuto = true;
        BeginStep(TCaretState());
    }
}

void THPDocument::AutoStepEnd()
{
    if (FAuto) {
        FAuto = false;
        EndStep(TCaretState());
    }
}

void THPDocument::InsertInLine(int Line, int Pos, const QByteArray &Chars, const QByteArray &Attrs)
{
    if (Chars.isEmpty())
        return;
    AutoStepBegin();
    Touch(Line, Line);
    TALine &line = FLines[size_t(Line)];
    if (Attrs.size() == Chars.size() || Attrs.isEmpty() || Attrs[0] == 0)
        line.Splice(Pos - 1, 0, Chars, Attrs);
    else
        line.Splice(Pos - 1, 0, Chars, QByteArray(Chars.size(), Attrs[0]));
    emit LinesChanged(Line, Line);
    AutoStepEnd();
}

void THPDocument::BreakLine(int Line, int Pos, TLineVector &&NewLines)
{
    if (NewLines.empty())
        return;
    AutoStepBegin();
    Touch(Line, Line);
    TALine &first = FLines[size_t(Line)];
    const QByteArrayView chars = first.CharsView(), attrs = first.AttrsView();
    NewLines.back().Append(chars.sliced(Pos - 1), attrs.isEmpty() ? attrs : attrs.sliced(Pos - 1));
    first.Truncate(Pos - 1);
    Shift(int(NewLines.size()));
    FLines.insert(FLines.begin() + Line + 1, std::make_move_iterator(NewLines.begin()),
                  std::make_move_iterator(NewLines.end()));
    emit LinesInserted(Line + 1, int(NewLines.size()));
    emit LinesChanged(Line, Line);
    AutoStepEnd();
}

void THPDocument::RemoveSpan(int Line, int Pos, int LastLine, int LastPos)
{
    if (LastLine == Line && LastPos <= Pos)
        return;
    AutoStepBegin();
    Touch(Line, LastLine);
    for (int i = Line; i <= LastLine; ++i) {
        // A picture line goes when its one character is removed.
        const qsizetype from = i == Line ? Pos - 1 : 0;
        const qsizetype to = i == LastLine ? LastPos - 1 : LineLength(i);
        if (IsPictureLine(i) && from == 0 && to >= 1)
            FPictures.Release(FLines[size_t(i)].Attr(0));
    }
    TALine &head = FLines[size_t(Line)];
    if (LastLine == Line) {
        head.Splice(Pos - 1, LastPos - Pos, {}, {});
    } else {
        const TALine &last = FLines[size_t(LastLine)];
        const QByteArrayView chars = last.CharsView(), attrs = last.AttrsView();
        head.Splice(Pos - 1, head.Length() - (Pos - 1), chars.sliced(LastPos - 1),
                    attrs.isEmpty() ? attrs : attrs.sliced(LastPos - 1));
        FLines.erase(FLines.begin() + Line + 1, FLines.begin() + LastLine + 1);
        Shift(Line - LastLine);
        emit LinesRemoved(Line + 1, LastLine - Line);
    }
    emit LinesChanged(Line, Line);
    AutoStepEnd();
}

void THPDocument::SetAttrs(int Line, int From, const QByteArray &Attrs)
{
    if (FLines[size_t(Line)].Attrs().mid(From - 1, Attrs.size()) == Attrs)
        return;
    AutoStepBegin();
    Touch(Line, Line);
    FLines[size_t(Line)].SetAttrs(From - 1, Attrs);
    emit LinesChanged(Line, Line);
    AutoStepEnd();
}

void THPDocument::SetPictureLine(int I, int Slot)
{
    AutoStepBegin();
    Touch(I, I);
    if (IsPictureLine(I))
        FPictures.Release(FLines[size_t(I)].Attr(0));
    const char picture = char(CharPicture), slot = char(Slot);
    FLines[size_t(I)].Assign(QByteArrayView(&picture, 1), QByteArrayView(&slot, 1));
    emit LinesChanged(I, I);
    AutoStepEnd();
}

void THPDocument::ClearPictureLine(int I)
{
    if (!IsPictureLine(I))
        return;
    AutoStepBegin();
    Touch(I, I);
    FPictures.Release(FLines[size_t(I)].Attr(0));
    FLines[size_t(I)] = TALine();
    emit LinesChanged(I, I);
    AutoStepEnd();
}

void THPDocument::Reset(TLineVector &&Lines, TPictureTable &&Pictures,
                        const TFileIdentity &Identity, std::shared_ptr<const TLineStore> Store)
{
    const int oldCount = LineCount();
    FHistory.clear();
    // The old lines go before the store they may point into.
    FLines = std::move(Lines);
    FLineStore = std::move(Store);
    if (FLines.empty())
        FLines.emplace_back();
    FPictures = std::move(Pictures);
    FIdentity = Identity;
    FModifiedByHand = false;
    emit LinesReplaced(0, oldCount, LineCount());
    UpdateModified();
}

// ---- Steps

void THPDocument::BeginStep(const TCaretState &Before)
{
    if (FDepth++ == 0) {
        FHasSpan = false;
        FCaretBefore = Before;
    }
}

void THPDocument::EndStep(const TCaretState &After, bool Typing)
{
    if (FDepth == 0 || --FDepth > 0 || !FHasSpan)
        return;
    FHasSpan = false;
    auto data = std::make_shared<TDocStepData>();
    data->Doc = this;
    data->First = FSpanFirst;
    data->Before = std::move(FSpanBefore);
    FSpanBefore.clear();
    for (int i = FSpanFirst; i < FSpanEnd + FDelta; ++i)
        data->After.push_back(Save(i));
    data->CaretBefore = FCaretBefore;
    data->CaretAfter = After;
    data->Typing = Typing;
    data->MergeSerial = FMergeSerial;
    data->Count();
    FHistory.push(new TDocStep(std::move(data)));
    TrimHistory();
    UpdateModified();
}

void THPDocument::PushFontStep(const std::array<QString, 3> &Before, const std::array<QString, 3> &After,
                               const TCaretState &Caret)
{
    auto data = std::make_shared<TDocStepData>();
    data->Doc = this;
    data->Fonts = true;
    data->FontsBefore = Before;
    data->FontsAfter = After;
    data->CaretBefore = data->CaretAfter = Caret;
    FHistory.push(new TDocStep(std::move(data)));
    BreakMerge();
    TrimHistory();
    UpdateModified();
}

void THPDocument::Undo()
{
    if (FDepth == 0)
        FHistory.undo();
    UpdateModified();
}

void THPDocument::Redo()
{
    if (FDepth == 0)
        FHistory.redo();
    UpdateModified();
}

void THPDocument::ApplyStep(TDocStepData &Step, bool Redo)
{
    BreakMerge();
    if (Step.Fonts) {
        emit FontsRestored(Redo ? Step.FontsAfter : Step.FontsBefore);
    } else if (Redo) {
        Replace(Step.First, int(Step.Before.size()), Step.After);
    } else {
        Replace(Step.First, int(Step.After.size()), Step.Before);
    }
    const TCaretState &caret = Redo ? Step.CaretAfter : Step.CaretBefore;
    if (caret.Valid)
        emit CaretRestored(caret);
}

void THPDocument::Replace(int First, int Count, const std::vector<TSavedLine> &With)
{
    // Every picture finds its slot before anything changes, on a copy of the table: a step that
    // cannot be put back leaves the document as it is.
    TPictureTable table = FPictures;
    for (int i = First; i < First + Count; ++i)
        if (IsPictureLine(i))
            table.Release(FLines[size_t(i)].Attr(0));
    TLineVector lines;
    lines.reserve(With.size());
    for (const TSavedLine &s : With) {
        lines.push_back(s.Line);
        if (s.Picture) {
            const int slot = table.AddShared(s.Picture);
            if (!slot)
                throw EErrorLoading(ResString(TResId::sPictureTableFull));
            const char picture = char(CharPicture), slotByte = char(slot);
            lines.back().Assign(QByteArrayView(&picture, 1), QByteArrayView(&slotByte, 1));
        }
    }
    FPictures = std::move(table);
    FLines.erase(FLines.begin() + First, FLines.begin() + First + Count);
    FLines.insert(FLines.begin() + First, std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    emit LinesReplaced(First, Count, int(With.size()));
}

void THPDocument::TrimHistory()
{
    if (FHistoryBytes <= MaxHistoryBytes || FHistory.count() <= 1)
        return;
    // QUndoStack drops its oldest steps only by count; for the size bound it is built again from
    // the newer steps, none of which is replayed.
    const int count = FHistory.count(), index = FHistory.index(), clean = FHistory.cleanIndex();
    std::vector<std::shared_ptr<TDocStepData>> steps;
    for (int i = 0; i < count; ++i)
        steps.push_back(static_cast<const TDocStep *>(FHistory.command(i))->Data());
    int drop = 0;
    qint64 bytes = FHistoryBytes;
    // Only steps that are done can go: an undone one is needed to redo the ones after it.
    while (bytes > MaxHistoryBytes && drop < index - 1)
        bytes -= steps[size_t(drop++)]->Bytes;
    if (drop == 0)
        return;
    const QSignalBlocker blocker(&FHistory);
    FReplaying = true;
    FHistory.clear();
    for (int i = drop; i < count; ++i)
        FHistory.push(new TDocStep(steps[size_t(i)]));
    steps.clear();
    if (clean >= drop) {
        FHistory.setIndex(clean - drop);
        FHistory.setClean();
    } else {
        FHistory.resetClean();
    }
    FHistory.setIndex(index - drop);
    FReplaying = false;
}

void THPDocument::SetModified(bool Value)
{
    if (Value) {
        FModifiedByHand = true;
    } else {
        FModifiedByHand = false;
        FHistory.setClean();
        BreakMerge();
    }
    UpdateModified();
}

void THPDocument::UpdateModified()
{
    const bool m = Modified();
    if (m == FModifiedShown)
        return;
    FModifiedShown = m;
    emit ModifiedChanged(m);
}
