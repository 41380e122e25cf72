#pragma once
// A document leaving the program for people without a calculator: a picture or PDF pages, drawn
// exactly as the editor shows it (every calculator pixel 2 × 2 pixels). No widget is needed.
#include <QPageSize>
#include <QString>

class THPDocument;

struct TExportLook {
    int RightEdge = 22;
    bool WithRightEdge = true;
};

// The page size where the user lives: Letter under the US measurement system, A4 elsewhere.
QPageSize::PageSizeId DefaultPageSize();

// The whole document as one picture, in the format the file name's extension names when it is one
// the program can write (JPEG, BMP …), else as PNG; the file on disk changes only when the whole
// picture is written. Raises EErrorSaving (ETooLargeToSave for a drawing too
// large to hold).
void ExportPicture(const THPDocument &Doc, const TExportLook &Look, const QString &FileName);
// The document on pages of PageSize, split between lines, calculator pixels square and sharp, with
// Title and the page number at the foot of each page. Raises EErrorSaving as ExportPicture does.
void ExportPdf(const THPDocument &Doc, const TExportLook &Look, const QString &FileName, const QString &Title,
               QPageSize::PageSizeId PageSize);
