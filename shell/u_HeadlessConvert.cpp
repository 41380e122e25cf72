// --convert and --render: a document read exactly as opening it in the program would, then written
// exactly as Save As under another name would, or drawn as the editor draws it. Only the document,
// its file formats and its painter take part: no widget is created.
#include "u_Headless.h"

#include "u_DialogsHP.h"
#include "u_DocumentKinds.h"
#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_FormatLoss.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_DocumentFiles.h"
#include "u_DocumentExport.h"

#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace {
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int MaxRightEdge = 1000;

void PrintError(const QString &Text)
{
    std::fputs(qPrintable(Text + '\n'), stderr);
    std::fflush(stderr);
}

// Loads Path into Doc as File > Open does. Reports the failure and returns false.
bool Load(THPDocument &Doc, const QString &Path)
{
    try {
        LoadDocument(Doc, Path);
        return true;
    } catch (const EErrorLoading &e) {
        PrintError(LoadingFailureText(Path, e));
        return false;
    }
}

// Both commands take exactly an input and an output file.
QString FileCountError(const TCommandLine &Line)
{
    if (!Line.Error.isEmpty())
        return Line.Error;
    const QString command = Line.Mode == TRunMode::Render ? QStringLiteral("--render") : QStringLiteral("--convert");
    if (Line.Files.size() < 2)
        return ResString(TResId::sCliMissingFiles).arg(command);
    if (Line.Files.size() > 2)
        return ResString(TResId::sCliUnknownArgument).arg(Line.Files[2]);
    return QString();
}
} // namespace

int UsageError(const QString &Reason)
{
    PrintError(Reason);
    PrintError(ResString(TResId::sUsage));
    return ExitUsage;
}

int RunConvert(const TCommandLine &Line)
{
    const QString executeWithOpt = QStringLiteral("--execute-with");
    const QString menuCharOpt = QStringLiteral("--menu-char");
    if (const QString error = FileCountError(Line); !error.isEmpty())
        return UsageError(error);
    const std::optional<QString> executeWith = Line.Value(QStringLiteral("execute-with"));
    const bool noExecute = Line.IsSet(QStringLiteral("no-execute"));
    if (executeWith && noExecute)
        return UsageError(ResString(TResId::sCliUnknownArgument).arg(QStringLiteral("--no-execute")));
    // The program name is calculator text, one byte a character, as long as the save dialog takes;
    // a double quote in it would open a second string on the calculator.
    if (executeWith && (QString::fromLatin1(executeWith->toLatin1()) != *executeWith
                        || executeWith->size() > THPSaveXVEdenDialog::MaxProgramName || executeWith->contains(u'"')))
        return UsageError(ResString(TResId::sCliBadValue).arg(executeWithOpt, *executeWith));
    const std::optional<QString> menuChar = Line.Value(QStringLiteral("menu-char"));
    if (menuChar && (menuChar->size() != 1 || menuChar->at(0).unicode() > 255))
        return UsageError(ResString(TResId::sCliBadValue).arg(menuCharOpt, *menuChar));
    const QString in = Line.Files[0];
    const QString out = Line.Files[1];

    // Fonts only matter on screen: the bytes converted do not depend on them, so none is read.
    THPDocument doc(DocumentKindOfFile(in).Editor);
    if (!Load(doc, in))
        return ExitFailure;

    // What the save dialog proposes when confirmed as it stands: a TGV document's dialog has no
    // program name; the others propose the document's own, and none when it has none.
    QString program = doc.Kind() == TEditor::Tgv ? QString() : doc.Identity().ExecuteWith;
    if (executeWith)
        program = *executeWith;
    if (noExecute)
        program.clear();
    if (menuChar)
        doc.Identity().MenuChar = uint8_t(menuChar->at(0).unicode());
    if (Line.IsSet(QStringLiteral("menu-when-started")))
        doc.Identity().MenuWhenStarted = true;

    // Nobody is there to be asked, as Save As asks: the file is written and the losses are told.
    const TEditor format = DocumentKindOfFile(out).Editor;
    const TFormatLoss loss = FormatLoss(doc, format);
    try {
        SaveDocumentFile(doc, out, program);
    } catch (const EErrorSaving &e) {
        PrintError(SavingFailureText(out, e));
        return ExitFailure;
    }
    if (loss.Any())
        PrintError(LossNote(loss, format, out));
    return 0;
}

int RunRender(const TCommandLine &Line)
{
    const QString rightEdgeOpt = QStringLiteral("--right-edge");
    if (const QString error = FileCountError(Line); !error.isEmpty())
        return UsageError(error);
    std::optional<int> rightEdge;
    if (const std::optional<QString> v = Line.Value(QStringLiteral("right-edge"))) {
        bool ok = false;
        rightEdge = v->toInt(&ok);
        if (!ok || *rightEdge < 1 || *rightEdge > MaxRightEdge)
            return UsageError(ResString(TResId::sCliBadValue).arg(rightEdgeOpt, *v));
    }
    const QString in = Line.Files[0];
    const QString out = Line.Files[1];
    // A picture written over the document would destroy it.
    if (IsSameFile(in, out))
        return UsageError(ResString(TResId::sCliOutputIsInput).arg(QStringLiteral("--render"), in));

    const TEditor kind = DocumentKindOfFile(in).Editor;
    const TKindSettings settings = ReadKindSettings(kind);
    THPDocument doc(kind);
    doc.SetFontFolder(QStringLiteral("fonts"));
    try {
        doc.SetFonts(settings.Fonts);
    } catch (const EFileError &e) {
        // Without its fonts the picture would show blank cells: not a faithful rendering.
        PrintError(e.Message());
        return ExitFailure;
    }
    if (!Load(doc, in))
        return ExitFailure;

    try {
        const TExportLook look{rightEdge.value_or(settings.RightEdge), true};
        // A name ending in .pdf asks for pages, any other name for one picture.
        if (QFileInfo(out).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
            ExportPdf(doc, look, out, QFileInfo(in).fileName(), DefaultPageSize());
        else
            ExportPicture(doc, look, out);
    } catch (const EErrorSaving &e) {
        PrintError(SavingFailureText(out, e));
        return ExitFailure;
    }
    return 0;
}
