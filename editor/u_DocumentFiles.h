#pragma once
// Reading and writing document files — "%%HP:" transfer text, TGV files and plain files — straight
// into and out of a THPDocument, with no editor. A file is read whole and checked completely before
// the document changes, so a damaged file leaves it as it was; a save writes a temporary file that
// replaces the target only once it is complete.
#include "u_THPDocument.h"

#include <vector>

// A document file read and checked, not yet put into a document.
struct TLoadedDocument {
    // The bytes of the longer lines; it goes before them, and with them into the document.
    std::shared_ptr<const TLineStore> Store;
    TLineVector Lines;
    TPictureTable Pictures;
    TFileIdentity Identity;
};

// Raise EErrorLoading, with the reason, for a file that cannot be read or is damaged. Kind is the
// kind of the document the lines are made for (the characters and attributes it keeps); Hp49
// selects the HP49 string codes of a "%%HP:" file.
TLoadedDocument ReadTextDocument(const QString &FileName, bool Hp49, TEditor Kind);
TLoadedDocument ReadTgvDocument(const QString &FileName, TEditor Kind);
// Data as a file of a Kind document would read, for a document that has no file yet.
TLoadedDocument ReadDocumentData(const QByteArray &Data, TEditor Kind);
// Reads FileName as a document of Doc's kind and replaces Doc's content with it; returns the
// bytes read. Doc is unchanged when reading fails.
qint64 LoadDocument(THPDocument &Doc, const QString &FileName);

// Write Doc to FileName; only a complete save changes the document's file identity (name, size,
// program name) and clears its modified flag. Return the bytes written; raise EErrorSaving.
qint64 SaveTextDocument(THPDocument &Doc, const QString &FileName, TEditor Kind, const QString &ExecuteWith);
qint64 SaveTgvDocument(THPDocument &Doc, const QString &FileName, bool Hp49);
