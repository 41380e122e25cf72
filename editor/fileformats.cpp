// The editor's file commands: the document's files are read and written by u_DocumentFiles; the
// editor resets its view around a document read.
#include "u_THPEdit2.h"

#include "u_DocumentFiles.h"
#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <new>

namespace {
// Replaces the editor's document with a file read and checked in full; returns the file's size.
qint64 PutDocument(THPEdit2 &Ed, TLoadedDocument &&Loaded)
{
    try {
        try {
            Ed.NewDocument();
        } catch (const EFileError &) {
            // A missing font was reported when the window set its fonts; the document still loads
            // and its characters show as blank cells.
        }
        const qint64 size = Loaded.Identity.FileSize;
        Ed.Document()->Reset(std::move(Loaded.Lines), std::move(Loaded.Pictures), Loaded.Identity,
                             std::move(Loaded.Store));
        Ed.MoveCaretTo(0, 1, true);
        return size;
    } catch (const std::bad_alloc &) {
        throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile), ResString(TResId::sFileOutOfMemory));
    }
}
} // namespace

qint64 THPEdit2::LoadText(const QString &FileName, TEditor Kind)
{
    return PutDocument(*this, ReadTextDocument(FileName, Kind == TEditor::Hp49, Editor()));
}

qint64 THPEdit2::LoadTgv(const QString &FileName)
{
    return PutDocument(*this, ReadTgvDocument(FileName, Editor()));
}

qint64 THPEdit2::LoadData(const QByteArray &Data)
{
    return PutDocument(*this, ReadDocumentData(Data, Editor()));
}

qint64 THPEdit2::SaveText(const QString &FileName, TEditor Kind, const QString &ExecuteWith)
{
    return SaveTextDocument(*FDoc, FileName, Kind, ExecuteWith);
}

qint64 THPEdit2::SaveTgv(const QString &FileName, bool Hp49)
{
    return SaveTgvDocument(*FDoc, FileName, Hp49);
}
