// Reading and writing document files. The byte work lives in u_DocFormats; here a file is read
// whole and parsed completely before anything changes.
#include "u_DocumentFiles.h"

#include "u_ByteOut.h"
#include "u_DocFormats.h"
#include "u_DocumentLines.h"
#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_LargePages.h"
#include "u_ResourceStrings.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <new>

namespace {
// Documents are read whole. No calculator holds anything near this, and refusing larger files up
// front keeps a stray multi-gigabyte file from exhausting memory.
constexpr qint64 MaxDocumentFileSize = qint64(64) << 20;

[[noreturn]] void LoadingFailed(const QString &Reason)
{
    throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile), Reason);
}

TLargeBuffer ReadDocumentFile(const QString &FileName)
{
    // Opening a named pipe would wait for a writer that may never come, and a device may never end.
    if (const QString problem = RegularFileProblem(FileName); !problem.isEmpty())
        LoadingFailed(problem);
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        LoadingFailed(CannotReadReason(file.errorString()));
    if (file.size() > MaxDocumentFileSize)
        LoadingFailed(ResString(TResId::sFileTooLargeForDocument));
    TLargeBuffer data;
    // A file may grow or shrink while it is read (or report no size at all, as some system files
    // do): read in blocks up to the limit rather than trusting the size.
    constexpr qint64 Block = qint64(64) << 10;
    data.Reserve(qsizetype(file.size()) + Block);
    while (data.Size() <= MaxDocumentFileSize) {
        const qsizetype at = data.Size();
        data.Resize(at + Block);
        const qint64 got = file.read(data.Data() + at, Block);
        if (got < 0)
            LoadingFailed(CannotReadReason(file.errorString()));
        data.Resize(at + got);
        if (got == 0)
            return data;
    }
    LoadingFailed(ResString(TResId::sFileTooLargeForDocument));
}

// A document's lines as the writers walk them. Numbered gives picture lines their TGV picture
// number, otherwise any picture line is marked with 1. Plain lines store no attributes: they read
// theirs from a run of zeros as long as the longest of them.
class TWriterLines final : public TDocLines {
public:
    TWriterLines(const THPDocument &Doc, bool Numbered) : FDoc(Doc), FNumbered(Numbered)
    {
        int longestPlain = 0;
        for (int i = 0; i < Doc.LineCount(); ++i)
            if (!Doc.Line(i).Styled())
                longestPlain = std::max(longestPlain, Doc.LineLength(i));
        FZeros = QByteArray(longestPlain, '\0');
    }
    qsizetype Count() const override { return FDoc.LineCount(); }
    TDocLine At(qsizetype I) const override
    {
        if (const TPictureHP *p = FDoc.PictureOfLine(int(I)))
            return {{}, {}, FNumbered ? p->Number : 1};
        const TALine &line = FDoc.Line(int(I));
        return {line.CharsView(), line.Styled() ? line.AttrsView() : QByteArrayView(FZeros).first(line.Length()), 0};
    }

private:
    const THPDocument &FDoc;
    const bool FNumbered;
    QByteArray FZeros;
};

// Parses the bytes Fetch gives with Read and builds the lines of a Kind document from them;
// FileName is the document's file, if it has one.
template <typename TFetch, typename TRead>
TLoadedDocument ReadDocument(const QString &FileName, TEditor Kind, const TFetch &Fetch, const TRead &Read)
{
    try {
        TLoadedDocument loaded;
        qint64 size = 0;
        {
            // The file's bytes and what the reader found go before the lines are built in full.
            TReadDocument doc;
            {
                auto data = Fetch();
                size = QByteArrayView(data).size();
                Read(std::move(data), doc);
            }
            loaded.Identity.ExecuteWith = doc.ExecuteWith;
            loaded.Identity.MenuChar = doc.MenuChar;
            loaded.Identity.MenuWhenStarted = doc.MenuWhenStarted;
            std::shared_ptr<TLineStore> store;
            BuildDocumentLines(std::move(doc), Kind, loaded.Lines, loaded.Pictures, &store);
            loaded.Store = std::move(store);
        }
        loaded.Identity.FileName = FileName.isEmpty() ? QString() : QFileInfo(FileName).absoluteFilePath();
        loaded.Identity.FileSize = size;
        return loaded;
    } catch (const std::bad_alloc &) {
        // A document larger than the memory left is a file that cannot be loaded, not a reason to
        // end the program and lose the other documents.
        LoadingFailed(ResString(TResId::sFileOutOfMemory));
    }
}

qint64 Saved(THPDocument &Doc, const QString &FileName, const QString &ExecuteWith, qint64 Size)
{
    TFileIdentity &identity = Doc.Identity();
    identity.ExecuteWith = ExecuteWith;
    Doc.SetModified(false);
    identity.FileName = FileName.isEmpty() ? QString() : QFileInfo(FileName).absoluteFilePath();
    identity.FileSize = Size;
    return Size;
}
} // namespace

namespace {
void ReadTextBytes(QByteArrayView Data, bool Hp49, TReadDocument &Doc)
{
    // An empty file is an empty document, and a file shorter than the header is the text it holds.
    if (Data.startsWith(TextFormHeader))
        ReadTextForm(Data, Hp49, Doc);
    else if (IsCalcStringFile(Data))
        ReadCalcString(Data, Hp49, Doc);
    else
        ReadPlain(Data, Doc);
}

void ReadTgvBytes(QByteArrayView Data, TReadDocument &Doc)
{
    if (IsTgvFile(Data))
        ReadTgv(Data, Doc);
    else
        ReadPlain(Data, Doc);
    Doc.ExecuteWith = QStringLiteral("Tgv");
}
} // namespace

TLoadedDocument ReadTextDocument(const QString &FileName, bool Hp49, TEditor Kind)
{
    return ReadDocument(FileName, Kind, [&FileName] { return ReadDocumentFile(FileName); },
                        [Hp49](TLargeBuffer &&Data, TReadDocument &Doc) {
                            // The text is read over the file's bytes, which are not needed after:
                            // a large file takes no second buffer.
                            Doc.Text = std::move(Data);
                            ReadTextBytes(Doc.Text.View(), Hp49, Doc);
                        });
}

TLoadedDocument ReadTgvDocument(const QString &FileName, TEditor Kind)
{
    return ReadDocument(FileName, Kind, [&FileName] { return ReadDocumentFile(FileName); }, ReadTgvBytes);
}

TLoadedDocument ReadDocumentData(const QByteArray &Data, TEditor Kind)
{
    const auto fetch = [&Data] {
        if (Data.size() > MaxDocumentFileSize)
            LoadingFailed(ResString(TResId::sFileTooLargeForDocument));
        return Data;
    };
    if (Kind == TEditor::Tgv)
        return ReadDocument(QString(), Kind, fetch, ReadTgvBytes);
    return ReadDocument(QString(), Kind, fetch, [Kind](QByteArrayView Bytes, TReadDocument &Doc) {
        ReadTextBytes(Bytes, Kind == TEditor::Hp49, Doc);
    });
}

qint64 LoadDocument(THPDocument &Doc, const QString &FileName)
{
    const TEditor kind = Doc.Kind();
    TLoadedDocument loaded = kind == TEditor::Tgv ? ReadTgvDocument(FileName, kind)
                                                  : ReadTextDocument(FileName, kind == TEditor::Hp49, kind);
    const qint64 size = loaded.Identity.FileSize;
    Doc.Reset(std::move(loaded.Lines), std::move(loaded.Pictures), loaded.Identity, std::move(loaded.Store));
    return size;
}

qint64 SaveTextDocument(THPDocument &Doc, const QString &FileName, TEditor Kind, const QString &ExecuteWith)
{
    const QByteArray e = TrimCalc(ExecuteWith.toLatin1());
    qint64 size = 0;
    // Written as it is made: a large document is never held twice.
    SaveFileWhole(FileName, [&](const TBytePut &Put) {
        TByteOut out(Put);
        WriteTextForm(TWriterLines(Doc, false), Kind, e, out);
        size = out.Finish();
    });
    return Saved(Doc, FileName, QString::fromLatin1(e), size);
}

qint64 SaveTgvDocument(THPDocument &Doc, const QString &FileName, bool Hp49)
{
    // A picture shown on several lines is stored once, numbered by its first appearance.
    for (int k = 1; k <= TPictureTable::SlotCount; ++k)
        if (TPictureHP *p = Doc.Picture(k))
            p->Number = 0;
    uint8_t next = 0;
    std::vector<QByteArray> grobs;
    for (int i = 0; i < Doc.LineCount(); ++i) {
        TPictureHP *p = Doc.PictureOfLine(i);
        if (p && p->Number == 0) {
            p->Number = ++next;
            grobs.push_back(GrobObject(p->Bitmap));
        }
    }
    const QByteArray body = WriteTgvBody(TWriterLines(Doc, true), Doc.Identity().MenuChar,
                                         Doc.Identity().MenuWhenStarted);
    const QByteArray data = WriteTgvFile(body, grobs, Hp49);
    SaveFileWhole(FileName, data);
    return Saved(Doc, FileName, QStringLiteral("Tgv"), data.size());
}
