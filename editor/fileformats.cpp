// Reading and writing documents: "%%HP:" transfer text, TGV files and plain files. The byte work
// lives in u_DocFormats; here a file is read whole, parsed completely, and only then does the
// document change, so a file that turns out to be damaged leaves the document as it was. Saving
// goes through a temporary file that replaces the target only once it is complete.
#include "u_THPEdit2.h"

#include "u_DocFormats.h"
#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QFile>
#include <QSaveFile>

namespace {
// Documents are read whole; nothing a calculator can hold comes anywhere near this.
constexpr qint64 MaxDocumentFileSize = qint64(1) << 30;

[[noreturn]] void LoadingFailed()
{
    throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile));
}

[[noreturn]] void SavingFailed()
{
    throw EErrorSaving(ResString(TResId::sErrorWhileSavingFile));
}

QByteArray ReadDocumentFile(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxDocumentFileSize)
        LoadingFailed();
    QByteArray data;
    if (!file.isSequential()) {
        data.resize(file.size());
        qint64 got = 0;
        while (got < data.size()) {
            const qint64 n = file.read(data.data() + got, data.size() - got);
            if (n <= 0)
                LoadingFailed();
            got += n;
        }
        return data;
    }
    // In blocks, so that a device without a size (a pipe) cannot make the read endless.
    constexpr qint64 Block = qint64(64) << 10;
    while (data.size() <= MaxDocumentFileSize) {
        const qsizetype at = data.size();
        data.resize(at + Block);
        const qint64 got = file.read(data.data() + at, Block);
        if (got < 0)
            LoadingFailed();
        data.resize(at + got);
        if (got == 0)
            return data;
    }
    LoadingFailed();
}

void WriteDocumentFile(const QString &FileName, const QByteArray &Data)
{
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        SavingFailed();
    if (file.write(Data) != Data.size()) {
        file.cancelWriting();
        SavingFailed();
    }
    if (!file.commit())
        SavingFailed();
}

// The lines as the writers see them; Numbered gives picture lines their TGV picture number,
// otherwise any picture line is marked with 1.
std::vector<TDocLine> DocumentLines(const THPEdit2 &Ed, bool Numbered)
{
    std::vector<TDocLine> lines(size_t(Ed.LineCount()));
    for (int i = 0; i < Ed.LineCount(); ++i) {
        TDocLine &l = lines[size_t(i)];
        if (const TPictureHP *p = Ed.PictureOfLine(i)) {
            l.Picture = Numbered ? p->Number : 1;
        } else {
            const TALine *line = Ed.Line(i);
            l.Chars = line->Chars;
            l.Attrs = line->Attrs;
        }
    }
    return lines;
}

// Puts a picture on a line of its own at the caret, as inserting one would: after text, the
// picture goes onto a new line between the two halves of the caret's line.
void PutPictureAtCaret(THPEdit2 &Ed, const QImage &Bitmap)
{
    if (Ed.Editor() != TEditor::Tgv)
        return;
    const int slot = Ed.AddPicture(Bitmap);
    int line = Ed.CaretLine();
    if (Ed.LineLength(line) != 0) {
        Ed.InsertText(line, Ed.CaretCol(), QByteArray(2, '\0'), QByteArray(2, char(CharLineFeed)));
        ++line;
    }
    Ed.SetPictureLine(line, slot);
    Ed.RecomputeTops(line);
    Ed.UpdateVisibleLines();
    Ed.MoveCaretTo(line, -1, true);
}

void InsertRun(THPEdit2 &Ed, const TReadDocument &Doc, qsizetype From, qsizetype To)
{
    if (To <= From)
        return;
    if (From == 0 && To == Doc.Text.size())
        Ed.InsertAtCaret(Doc.Text, Doc.Attrs);
    else
        Ed.InsertAtCaret(Doc.Text.mid(From, To - From), Doc.Attrs.mid(From, To - From));
}

// Replaces the document with what a reader found.
void PutDocument(THPEdit2 &Ed, const TReadDocument &Doc, const QString &FileName)
{
    try {
        Ed.NewDocument();
    } catch (const EFileError &) {
        // A missing font was reported when the window set its fonts; the document still loads
        // and its characters show as blank cells.
    }
    Ed.SetFileName(FileName);
    Ed.SetExecuteWith(Doc.ExecuteWith);
    Ed.SetMenuChar(Doc.MenuChar);
    Ed.SetMenuWhenStarted(Doc.MenuWhenStarted);
    qsizetype from = 0;
    for (const TReadDocument::TPictureAt &p : Doc.Pictures) {
        InsertRun(Ed, Doc, from, p.At);
        PutPictureAtCaret(Ed, Doc.Bitmaps[size_t(p.Entry)]);
        from = p.At;
    }
    InsertRun(Ed, Doc, from, Doc.Text.size());
    Ed.MoveCaretTo(0, 1, true);
    Ed.SetModified(false);
    Ed.InvalidateAll();
}
} // namespace

qint64 THPEdit2::LoadText(const QString &FileName, TEditor Kind)
{
    const QByteArray data = ReadDocumentFile(FileName);
    // Too short even for the header a text form begins with.
    if (data.size() < TextFormHeader.size())
        LoadingFailed();
    TReadDocument doc;
    if (data.startsWith(TextFormHeader))
        ReadTextForm(data, Kind == TEditor::Hp49, doc);
    else
        ReadPlain(data, doc);
    PutDocument(*this, doc, FileName);
    FFileSize = data.size();
    return FFileSize;
}

qint64 THPEdit2::LoadTgv(const QString &FileName)
{
    const QByteArray data = ReadDocumentFile(FileName);
    TReadDocument doc;
    if (IsTgvFile(data))
        ReadTgv(data, doc);
    else
        ReadPlain(data, doc);
    doc.ExecuteWith = QStringLiteral("Tgv");
    PutDocument(*this, doc, FileName);
    FFileSize = data.size();
    return FFileSize;
}

qint64 THPEdit2::SaveText(const QString &FileName, TEditor Kind, const QString &ExecuteWith)
{
    const QByteArray e = TrimCalc(ExecuteWith.toLatin1());
    const QByteArray data = WriteTextForm(DocumentLines(*this, false), Kind, e);
    WriteDocumentFile(FileName, data);
    // Only a complete save changes the document's file identity.
    FExecuteWith = QString::fromLatin1(e);
    SetModified(false);
    SetFileName(FileName);
    FFileSize = data.size();
    return FFileSize;
}

qint64 THPEdit2::SaveTgv(const QString &FileName, bool Hp49)
{
    // A picture shown on several lines is stored once, numbered by its first appearance.
    for (int k = 1; k <= PictureSlotCount; ++k)
        if (TPictureHP *p = Picture(k))
            p->Number = 0;
    uint8_t next = 0;
    std::vector<QByteArray> grobs;
    for (int i = 0; i < LineCount(); ++i) {
        TPictureHP *p = PictureOfLine(i);
        if (p && p->Number == 0) {
            p->Number = ++next;
            grobs.push_back(GrobObject(p->Bitmap));
        }
    }
    const QByteArray body = WriteTgvBody(DocumentLines(*this, true), FMenuChar, FMenuWhenStarted);
    const QByteArray data = WriteTgvFile(body, grobs, Hp49);
    WriteDocumentFile(FileName, data);
    FExecuteWith = QStringLiteral("Tgv");
    SetModified(false);
    SetFileName(FileName);
    FFileSize = data.size();
    return FFileSize;
}
