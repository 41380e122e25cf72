// Pictures in TGV documents: inserting one from a bitmap, a bitmap file or a calculator grob file,
// and removing a picture line.
#include "u_THPEdit2.h"

#include "u_DocFormats.h"
#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_QuietImageIo.h"
#include "u_ResourceStrings.h"

#include <QImageReader>
#include <QPainter>

namespace {
[[noreturn]] void FailLoading(const QString &Reason = QString())
{
    throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile), Reason);
}

// The picture file FileName as an image; raises EErrorLoading with the reason when it cannot be read.
QImage ReadPictureFile(const QString &FileName)
{
    if (const QString problem = RegularFileProblem(FileName); !problem.isEmpty())
        FailLoading(problem);
    const TQuietImageIo quiet;
    QImageReader reader(FileName);
    QImage image = reader.read();
    if (image.isNull())
        FailLoading(CannotReadReason(reader.errorString()));
    return image;
}

// The calculator's view of a picture: white stays white, every other colour is a set pixel.
// Transparent areas count as the white paper they are shown on.
QImage Monochrome(const QImage &Source)
{
    QImage image(Source.size(), QImage::Format_RGB32);
    if (image.isNull())
        FailLoading();
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.drawImage(0, 0, Source);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = (row[x] & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFF : 0xFF000000;
    }
    return image;
}

} // namespace

void THPEdit2::InsertPicture(int Line, int Pos, const QString &FileName, const QImage &Bitmap)
{
    if (FDoc->Kind() != TEditor::Tgv)
        return;
    const QImage source = Bitmap.isNull() ? ReadPictureFile(FileName) : Bitmap;
    // The calculator picture's length field bounds its size: a larger one could never be saved.
    if (qint64(source.height()) * ((source.width() + 7) / 8) > TgvMaxGrobRows)
        FailLoading(ResString(TResId::sPictureTooLarge));
    const QImage bitmap = Monochrome(source);

    // Everything that can fail happens before the document changes: the table takes its reference
    // first and refuses a picture it has no room for.
    const int slot = AddPicture(bitmap);
    TEditStep step(this);
    ClearSelection();
    Line = Line < 0 ? FCaretLine : std::min(Line, LineCount() - 1);
    Pos = Pos < 0 ? FCaretCol : std::clamp(Pos, 1, LineLength(Line) + 1);
    if (LineLength(Line) > 0) {
        // The picture gets the empty line between the two halves of the text.
        InsertText(Line, Pos, QByteArray(2, char(0)), QByteArray(2, char(CharLineFeed)));
        ++Line;
    }
    SetPictureLine(Line, slot);
    MoveCaretTo(Line, -1, true);
}

void THPEdit2::InsertGrobFile(int Line, int Pos, const QString &FileName)
{
    if (FDoc->Kind() != TEditor::Tgv)
        return;
    if (const QString problem = RegularFileProblem(FileName); !problem.isEmpty())
        FailLoading(problem);
    QImage bitmap;
    {
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        try {
            grob->LoadFromFile(FileName);
        } catch (const EError &) {
            FailLoading();
        }
        // A file of another object type would give a picture of nonsense dimensions.
        if (!grob->IsGrobFile())
            FailLoading(ResString(TResId::sFileNotCalcObject));
        bitmap = grob->ToBitmap();
    }
    if (bitmap.isNull())
        FailLoading(ResString(TResId::sFilePictureUnreadable));
    InsertPicture(Line, Pos, QString(), bitmap);
}

void THPEdit2::DeletePictureLine(int Line)
{
    // Only a picture line: emptying a text line here would lose its text.
    if (Line < 0 || Line >= LineCount() || !PictureOfLine(Line))
        return;
    TEditStep step(this);
    ClearSelection();
    FDoc->ClearPictureLine(Line);
    if (FCaretLine == Line)
        MoveCaretTo(Line, 1, true);
}
