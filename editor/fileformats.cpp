// Reading and writing documents: "%%HP:" transfer text and TGV files.
//
// STUB: these bodies only let the library link until the readers and writers are written; each
// fails with the program's loading or saving error.
#include "u_THPEdit2.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"

qint64 THPEdit2::LoadText(const QString &, TEditor) { throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile)); }
qint64 THPEdit2::LoadTgv(const QString &) { throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile)); }
qint64 THPEdit2::SaveText(const QString &, TEditor, const QString &) { throw EErrorSaving(ResString(TResId::sErrorWhileSavingFile)); }
qint64 THPEdit2::SaveTgv(const QString &, bool) { throw EErrorSaving(ResString(TResId::sErrorWhileSavingFile)); }
