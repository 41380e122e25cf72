// Reading and writing documents: "%%HP:" transfer text, TGV files and plain files. The byte work
// lives in u_DocFormats; here a file is read whole, parsed completely, and only then does the
// document change, so a file that turns out to be damaged leaves the document as it was. Saving
// goes through a temporary file that replaces the target only once it is complete.
#include "u_THPEdit2.h"

#include "u_DocFormats.h"
#include "u_DocumentLines.h"
#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_ResourceStrings.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <new>

namespace {
// Documents are read whole. No calculator holds anything near this, and refusing larger files up
// front keeps a stray multi-gigabyte file from exhausting memory.
constexpr qint64 MaxDocumentFileSize = qint64(64) << 20;

[[noreturn]] void LoadingFailed(const QString &Reason)
{
    throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile), Reason);
}

[[noreturn]] void SavingFailed(const QString &Reason)
{
    throw EErrorSaving(ResString(TResId::sErrorWhileSavingFile), Reason);
}

QByteArray ReadDocumentFile(const QString &FileName)
{
    // Opening a named pipe would wait for a writer that may never come, and a device may never end.
    if (const QString problem = RegularFileProblem(FileName); !problem.isEmpty())
        LoadingFailed(problem);
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        LoadingFailed(CannotReadReason(file.errorString()));
    if (file.size() > MaxDocumentFileSize)
        LoadingFailed(ResString(TResId::sFileTooLargeForDocument));
    QByteArray data;
    // A file may grow or shrink while it is read (or report no size at all, as some system files
    // do): read in blocks up to the limit rather than trusting the size.
    constexpr qint64 Block = qint64(64) << 10;
    data.reserve(qsizetype(file.size()) + Block);
    while (data.size() <= MaxDocumentFileSize) {
        const qsizetype at = data.size();
        data.resize(at + Block);
        const qint64 got = file.read(data.data() + at, Block);
        if (got < 0)
            LoadingFailed(CannotReadReason(file.errorString()));
        data.resize(at + got);
        if (got == 0)
            return data;
    }
    LoadingFailed(ResString(TResId::sFileTooLargeForDocument));
}

void WriteDocumentFile(const QString &FileName, const QByteArray &Data)
{
    // The save replaces the target by renaming a new file over it: a device or a pipe there would
    // be replaced by a plain file.
    if (const QString problem = SaveTargetProblem(FileName); !problem.isEmpty())
        SavingFailed(problem);
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        SavingFailed(CannotWriteReason(file.errorString()));
    if (file.write(Data) != Data.size()) {
        const QString reason = CannotWriteReason(file.errorString());
        file.cancelWriting();
        SavingFailed(reason);
    }
    if (!file.commit())
        SavingFailed(CannotWriteReason(file.errorString()));
}

// The lines as the writers see them; Numbered gives picture lines their TGV picture number,
// otherwise any picture line is marked with 1. Plain lines read their attributes from Zeros, which
// is made long enough here; the views are valid while the document and Zeros stay unchanged.
std::vector<TDocLine> DocumentLines(const THPEdit2 &Ed, bool Numbered, QByteArray &Zeros)
{
    std::vector<TDocLine> lines(size_t(Ed.LineCount()));
    int longestPlain = 0;
    for (int i = 0; i < Ed.LineCount(); ++i)
        if (!Ed.Line(i).Styled())
            longestPlain = std::max(longestPlain, Ed.LineLength(i));
    Zeros = QByteArray(longestPlain, '\0');
    for (int i = 0; i < Ed.LineCount(); ++i) {
        TDocLine &l = lines[size_t(i)];
        if (const TPictureHP *p = Ed.PictureOfLine(i)) {
            l.Picture = Numbered ? p->Number : 1;
        } else {
            const TALine &line = Ed.Line(i);
            l.Chars = line.CharsView();
            l.Attrs = line.Styled() ? line.AttrsView() : QByteArrayView(Zeros).first(line.Length());
        }
    }
    return lines;
}

// Replaces the document with what a reader found. The lines are built first, so that a file
// whose pictures do not fit leaves the document as it was.
void PutDocument(THPEdit2 &Ed, const TReadDocument &Doc, const QString &FileName, qint64 FileSize)
{
    std::vector<TALine> lines;
    TPictureTable pictures;
    BuildDocumentLines(Doc, Ed.Editor(), lines, pictures);
    try {
        Ed.NewDocument();
    } catch (const EFileError &) {
        // A missing font was reported when the window set its fonts; the document still loads
        // and its characters show as blank cells.
    }
    TFileIdentity identity;
    identity.FileName = FileName.isEmpty() ? QString() : QFileInfo(FileName).absoluteFilePath();
    identity.FileSize = FileSize;
    identity.ExecuteWith = Doc.ExecuteWith;
    identity.MenuChar = Doc.MenuChar;
    identity.MenuWhenStarted = Doc.MenuWhenStarted;
    Ed.Document()->Reset(std::move(lines), std::move(pictures), identity);
    Ed.MoveCaretTo(0, 1, true);
}

// Reads FileName, parses it with Read and only then replaces Ed's document; returns the file's size.
template <typename TRead>
qint64 LoadDocument(THPEdit2 &Ed, const QString &FileName, const TRead &Read)
{
    try {
        const QByteArray data = ReadDocumentFile(FileName);
        TReadDocument doc;
        Read(data, doc);
        PutDocument(Ed, doc, FileName, data.size());
        return data.size();
    } catch (const std::bad_alloc &) {
        // A document larger than the memory left is a file that cannot be loaded, not a reason to
        // end the program and lose the other documents.
        LoadingFailed(ResString(TResId::sFileOutOfMemory));
    }
}
} // namespace

qint64 THPEdit2::LoadText(const QString &FileName, TEditor Kind)
{
    return LoadDocument(*this, FileName, [Kind](const QByteArray &Data, TReadDocument &Doc) {
        // An empty file is an empty document, and a file shorter than the header is the text it holds.
        if (Data.startsWith(TextFormHeader))
            ReadTextForm(Data, Kind == TEditor::Hp49, Doc);
        else
            ReadPlain(Data, Doc);
    });
}

qint64 THPEdit2::LoadTgv(const QString &FileName)
{
    return LoadDocument(*this, FileName, [](const QByteArray &Data, TReadDocument &Doc) {
        if (IsTgvFile(Data))
            ReadTgv(Data, Doc);
        else
            ReadPlain(Data, Doc);
        Doc.ExecuteWith = QStringLiteral("Tgv");
    });
}

qint64 THPEdit2::SaveText(const QString &FileName, TEditor Kind, const QString &ExecuteWith)
{
    const QByteArray e = TrimCalc(ExecuteWith.toLatin1());
    QByteArray zeros;
    const QByteArray data = WriteTextForm(DocumentLines(*this, false, zeros), Kind, e);
    WriteDocumentFile(FileName, data);
    // Only a complete save changes the document's file identity.
    SetExecuteWith(QString::fromLatin1(e));
    SetModified(false);
    SetFileName(FileName);
    FDoc->Identity().FileSize = data.size();
    return data.size();
}

qint64 THPEdit2::SaveTgv(const QString &FileName, bool Hp49)
{
    // A picture shown on several lines is stored once, numbered by its first appearance.
    for (int k = 1; k <= TPictureTable::SlotCount; ++k)
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
    QByteArray zeros;
    const QByteArray body = WriteTgvBody(DocumentLines(*this, true, zeros), MenuChar(), MenuWhenStarted());
    const QByteArray data = WriteTgvFile(body, grobs, Hp49);
    WriteDocumentFile(FileName, data);
    SetExecuteWith(QStringLiteral("Tgv"));
    SetModified(false);
    SetFileName(FileName);
    FDoc->Identity().FileSize = data.size();
    return data.size();
}
