// Pictures in and out of the main window: Tgv > Insert Grob with the picture step for pictures
// that are not black and white yet, a document picture saved as a grob file or a PNG image, and
// the whole document exported as a PNG picture or PDF pages.
#include "u_InterfBegin.h"

#include "u_DialogsHP.h"
#include "u_DocumentExport.h"
#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_PictureConvert.h"
#include "u_PictureFiles.h"
#include "u_PictureStep.h"
#include "u_ResourceStrings.h"
#include "u_SaveDialogRegistry.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPointer>

void TFFormBegin::InsertGrob_Click()
{
    QPointer<THPEdit2> editor = ActiveEditor();
    if (!editor || editor->Editor() != TEditor::Tgv)
        return;
    OpenGrobDialog->SetFileName(QString());
    if (!ExecuteDialog(*OpenGrobDialog))
        return;
    const QString path = OpenGrobDialog->FileName();
    FocusEditor();
    try {
        if (QFileInfo(path).suffix().toUpper() == QLatin1String("GRB")) {
            editor->InsertGrobFile(-1, -1, path);
            return;
        }
        const QImage picture = PictureToCalculator(ReadPictureFile(path));
        // The step is modal, but the document is checked again all the same once it is over.
        if (!picture.isNull() && editor)
            editor->InsertPicture(-1, -1, QString(), picture);
    } catch (const EErrorLoading &e) {
        const QString firstLine = ResString(TResId::serrorloadingpicture) + path;
        ShowWarning(e.Reason().isEmpty() ? firstLine : firstLine + QLatin1Char('\n') + e.Reason());
    }
}

QImage TFFormBegin::PictureToCalculator(const QImage &Image)
{
    if (Image.isNull() || IsCalculatorPicture(Image))
        return Image;
    if (!PictureStep)
        PictureStep = new TFPictureStep(this);
    return OnPictureStep(*PictureStep, Image) ? PictureStep->Picture() : QImage();
}

void TFFormBegin::SavePicture(const QImage &Picture)
{
    if (Picture.isNull())
        return;
    SavePictureDialog->SetFileName(QString());
    if (!ExecuteDialog(*SavePictureDialog))
        return;
    const QString path = SavePictureDialog->FileName();
    try {
        WritePictureFile(Picture, path);
    } catch (const EErrorSaving &e) {
        ShowWarning(SavingFailureText(path, e));
    }
}

void TFFormBegin::ExportActive(bool Pdf)
{
    const THPEdit2 *editor = ActiveEditor();
    if (!editor)
        return;
    TSaveDialogRegistry &dialog = Pdf ? *ExportPdfDialog : *ExportPictureDialog;
    const QString name = editor->Document()->Identity().FileName;
    dialog.SetFileName(name.isEmpty() ? QString() : QFileInfo(name).completeBaseName());
    if (!ExecuteDialog(dialog))
        return;
    const QString path = dialog.FileName();
    const auto *line = dialog.findChild<QCheckBox *>(QStringLiteral("RightEdgeLine"));
    const TExportLook look{editor->RightEdge(), !line || line->isChecked()};
    try {
        if (Pdf)
            ExportPdf(*editor->Document(), look, path, name.isEmpty() ? QFileInfo(path).completeBaseName() : QFileInfo(name).fileName(),
                      DefaultPageSize());
        else
            ExportPicture(*editor->Document(), look, path);
    } catch (const EErrorSaving &e) {
        ShowWarning(SavingFailureText(path, e));
    }
}
