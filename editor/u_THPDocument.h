#pragma once
// THPDocument: what a document file holds, with no window — the lines of calculator characters
// with one attribute byte each, the pictures on lines of their own and the table that shares them,
// the kind, the file identity and the modified flag — and the history of its changes.
//
// Every change goes through an operation of the document. Operations made between BeginStep and
// EndStep form one step of the undo history; an operation outside a step is a step of its own.
// The view keeps caret and selection and hands them to EndStep, so that undoing and redoing a
// step can put them back.
#include "u_DocumentFonts.h"
#include "u_EditorAttrs.h"
#include "u_TShared.h"
#include "u_TextLine.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <array>
#include <memory>
#include <vector>

// One picture of the document, shared by every line that shows it.
class TPictureHP : public TSharedObject {
public:
    // Keeps the bitmap as a calculator bitmap (white pixels background, every other colour set).
    explicit TPictureHP(const QImage &Bitmap);
    QImage Bitmap;      // a calculator bitmap (CalcBitmap): one bit per pixel
    uint8_t Number = 0; // sequence number while a TGV file is written; meaningless otherwise
    size_t Hash = 0;    // of the pixels, so that an identical picture is found without comparing all

    // The bitmap at twice its size as the editor paints it: black where set, white elsewhere.
    const QImage &Zoomed() const;
    bool SamePixels(const QImage &Other) const;

private:
    mutable QImage FZoomed;
};

// The 255 picture slots. A slot holds its picture while a line shows it (or an insertion has
// reserved it); identical pictures share one slot.
class TPictureTable {
public:
    static constexpr int SlotCount = 255;
    TPictureHP *Picture(int Slot) const { return Slot >= 1 && Slot <= SlotCount ? FSlots[size_t(Slot)].get() : nullptr; }
    int Uses(int Slot) const { return Slot >= 1 && Slot <= SlotCount ? FUses[size_t(Slot)] : 0; }
    // The slot of an identical picture, else the first free slot with a new picture; one more use
    // either way. 0, changing nothing, when every slot holds another picture.
    int Add(const QImage &Bitmap);
    // One more use of Picture: its own slot when it still holds it, else as Add would.
    int AddShared(const TSharedRef<TPictureHP> &Picture);
    void AddUse(int Slot)
    {
        if (Picture(Slot))
            ++FUses[size_t(Slot)];
    }
    void Release(int Slot);
    void Clear();

private:
    int FindSame(const QImage &Bitmap, size_t Hash) const;
    int FreeSlot() const;
    void Put(int Slot, TSharedRef<TPictureHP> Picture);
    std::array<TSharedRef<TPictureHP>, SlotCount + 1> FSlots; // slot 0 unused
    std::array<int, SlotCount + 1> FUses{};
    QMultiHash<size_t, int> FByHash;
};

// Where the caret and the selection stood, as a step saves it.
struct TCaretState {
    int Line = 0, Col = 1;
    int AnchorLine = 0, AnchorCol = 1;
    bool Selected = false;
    int SelStartLine = 0, SelStartCol = 1, SelEndLine = 0, SelEndCol = 1;
    bool Valid = false;
    bool operator==(const TCaretState &) const = default;
};

// The file a document came from and how it is written back.
struct TFileIdentity {
    QString FileName;
    qint64 FileSize = 0;
    QString ExecuteWith;
    uint8_t MenuChar = 42; // '*': no menu character
    bool MenuWhenStarted = false;
};

// A line as a step keeps it: the picture itself rather than its slot, because the slot may hold
// another picture by the time the step is undone.
struct TSavedLine {
    TALine Line;
    TSharedRef<TPictureHP> Picture;
};

struct TDocStepData;

class THPDocument : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxSteps = 1000;
    static constexpr qint64 MaxHistoryBytes = qint64(64) << 20;

    explicit THPDocument(TEditor Kind, QObject *Parent = nullptr);
    ~THPDocument() override;

    TEditor Kind() const { return FKind; }
    void SetKind(TEditor Value) { FKind = Value; }

    // ---- Lines
    int LineCount() const { return int(FLines.size()); }
    // Valid until the document changes.
    const TALine &Line(int I) const { return FLines[size_t(I)]; }
    int LineLength(int I) const { return FLines[size_t(I)].Length(); }
    bool IsPictureLine(int I) const { return FLines[size_t(I)].IsPicture(); }

    // ---- Pictures
    TPictureHP *Picture(int Slot) const { return FPictures.Picture(Slot); }
    int PictureUses(int Slot) const { return FPictures.Uses(Slot); }
    TPictureHP *PictureOfLine(int I) const;
    // Reserves a slot for Bitmap (see TPictureTable::Add); SetPictureLine then takes the
    // reservation over. Raises EErrorLoading, changing nothing, when the table is full.
    int AddPicture(const QImage &Bitmap);
    void ReleasePicture(int Slot) { FPictures.Release(Slot); }

    // ---- Operations. Positions are 1-based; none of them filters: the view has done that.
    // A run without line feeds into one line.
    void InsertInLine(int Line, int Pos, const QByteArray &Chars, const QByteArray &Attrs);
    // Cuts Line at Pos and puts NewLines after it; the cut-off tail goes to the end of the last one.
    void BreakLine(int Line, int Pos, TLineVector &&NewLines);
    // Removes from (Line, Pos) up to, not including, (LastLine, LastPos), joining the two ends.
    // Pictures whose line goes lose that use.
    void RemoveSpan(int Line, int Pos, int LastLine, int LastPos);
    // Attributes From.. of Line (1-based) replaced by Attrs.
    void SetAttrs(int Line, int From, const QByteArray &Attrs);
    // Makes line I the picture line of Slot, taking over the use AddPicture reserved.
    void SetPictureLine(int I, int Slot);
    // Empties a picture line, releasing its picture.
    void ClearPictureLine(int I);
    // Replaces the whole document, emptying the history: the lines a reader built, with the
    // table their picture lines point into, and the store some of them may point into.
    void Reset(TLineVector &&Lines, TPictureTable &&Pictures, const TFileIdentity &Identity,
               std::shared_ptr<const TLineStore> Store = nullptr);

    // ---- Fonts
    const TDocumentFonts &Fonts() const { return FFonts; }
    void SetFontFolder(const QString &Value) { FFonts.SetFolder(Value); }
    // Every slot is tried (slot 3 follows slot 2), FontsChanged follows, then the first failure
    // is raised.
    void SetFonts(const std::array<QString, 3> &Names);
    // One slot, as TDocumentFonts::Set; FontsChanged follows when a slot changed.
    void SetFont(int Index, const QString &Name);
    void ReleaseFont(int Index);

    // ---- Steps
    void BeginStep(const TCaretState &Before);
    // Typing marks a step that merges with the typing step before it when nothing came between.
    void EndStep(const TCaretState &After, bool Typing = false);
    // Whatever comes next starts a step of its own (a caret move, a save, a style change).
    void BreakMerge() { ++FMergeSerial; }
    // A step of its own that changes the font names; the view applies them.
    void PushFontStep(const std::array<QString, 3> &Before, const std::array<QString, 3> &After, const TCaretState &Caret);
    QUndoStack &History() { return FHistory; }
    // Raises EErrorLoading, with the document and the history as they were, when a picture the
    // step brings back finds no room in the table.
    void Undo();
    void Redo();
    qint64 HistoryBytes() const { return FHistoryBytes; }

    // ---- File identity and the modified flag
    const TFileIdentity &Identity() const { return FIdentity; }
    TFileIdentity &Identity() { return FIdentity; }
    // The document differs from its file: a step since the last save, or a change set by hand.
    bool Modified() const { return FModifiedByHand || !FHistory.isClean(); }
    // False makes the present state the saved one; true marks it changed without a step.
    void SetModified(bool Value);

signals:
    void ModifiedChanged(bool Modified);
    // What each operation changed, sent once the lines are in their new state; a view lays out
    // and repaints from these alone. An operation that splits or joins lines sends the lines it
    // inserted or removed first, then the line it changed.
    // Lines First..Last hold other characters, attributes or a picture (their height may differ).
    void LinesChanged(int First, int Last);
    // Count new lines stand from First; the lines that stood there follow them.
    void LinesInserted(int First, int Count);
    // The Count lines that stood from First are gone.
    void LinesRemoved(int First, int Count);
    // An undo, a redo or a reset replaced OldCount lines from First by NewCount lines; the caret
    // of the step, if any, comes after.
    void LinesReplaced(int First, int OldCount, int NewCount);
    // An undo or redo put the caret state of its step back.
    void CaretRestored(const TCaretState &Caret);
    void FontsRestored(const std::array<QString, 3> &Names);
    // The font slots were set (also when they ended as they were) or one of them changed.
    void FontsChanged();

private:
    friend class TDocStep;
    friend struct TDocStepData;
    void Touch(int First, int Last);
    void Shift(int Delta) { FDelta += Delta; }
    void AutoStepBegin();
    void AutoStepEnd();
    TSavedLine Save(int I) const;
    void ApplyStep(TDocStepData &Step, bool Redo);
    void Replace(int First, int Count, const std::vector<TSavedLine> &With);
    void TrimHistory();
    void UpdateModified();

    TEditor FKind;
    // Before the lines, so that it goes after them.
    std::shared_ptr<const TLineStore> FLineStore;
    TLineVector FLines;
    TPictureTable FPictures;
    TFileIdentity FIdentity;
    TDocumentFonts FFonts;
    bool FModifiedByHand = false;
    bool FModifiedShown = false;

    // The step being recorded: lines FSpanFirst..FSpanEnd-1 as they were before it, and how many
    // lines it has added since (FDelta).
    int FDepth = 0;
    bool FAuto = false;
    bool FHasSpan = false;
    int FSpanFirst = 0;
    int FSpanEnd = 0;
    int FDelta = 0;
    std::vector<TSavedLine> FSpanBefore;
    TCaretState FCaretBefore;
    int FMergeSerial = 0;
    // Rebuilding the history replays no step.
    bool FReplaying = false;
    qint64 FHistoryBytes = 0;
    QUndoStack FHistory; // last: its steps go before the members they count into
};
