// --convert and --render: a document read exactly as opening it in the program would, then written
// exactly as Save As under another name would, or drawn as the editor draws it. No window is shown;
// the editor lives off screen for the length of the command.
#include "u_Headless.h"

#include "u_Errors.h"
#include "u_FormatLoss.h"
#include "u_FileChecks.h"
#include "u_QuietImageIo.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_THPEdit2.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdio>
#include <memory>
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

int UsageError(const QString &Reason)
{
    PrintError(Reason);
    PrintError(ResString(TResId::sUsage));
    return ExitUsage;
}

QString Extension(const QString &Path)
{
    return QFileInfo(Path).suffix().toUpper();
}

// An editor set up as a document window of Kind sets up its own: the kind's tab length, fonts
// and right edge from the settings.
std::unique_ptr<THPEdit2> NewEditor(TEditor Kind)
{
    namespace K = SettingsKeys;
    auto ed = std::make_unique<THPEdit2>(nullptr, Kind);
    ed->OnWarning = [](const QString &Text) { PrintError(Text); };
    ed->SetSubDirFont(QStringLiteral("fonts"));
    QString section;
    switch (Kind) {
    case TEditor::Tgv:
        section = K::TgvSection;
        ed->SetDefaultFontTgvNormal(Settings->ReadString(section, K::DefaultNormalFont, K::DefaultTgvNormalFontName));
        ed->SetDefaultFontTgvFont1(Settings->ReadString(section, K::DefaultFont1, K::DefaultTgvFont1Name));
        ed->SetDefaultFontTgvMini(Settings->ReadString(section, K::DefaultMiniFont, K::DefaultTgvMiniFontName));
        break;
    case TEditor::Eden:
        section = K::EdenSection;
        ed->SetDefaultFontEden(Settings->ReadString(section, K::DefaultFont, K::DefaultXVFontName));
        break;
    case TEditor::Hp49:
        section = K::HP49Section;
        ed->SetDefaultFontHp49(Settings->ReadString(section, K::DefaultFont, K::DefaultXVFontName));
        break;
    default:
        section = K::XViewSection;
        ed->SetDefaultFontXView(Settings->ReadString(section, K::DefaultFont, K::DefaultXVFontName));
        break;
    }
    ed->SetTabLength(Settings->ReadInteger(section, K::TabLength, K::DefaultTabLength));
    ed->SetRightEdge(Settings->ReadInteger(section, K::RightEdge, K::DefaultRightEdge));
    return ed;
}

// Loads Path into Ed as File > Open does. Reports the failure and returns false.
bool Load(THPEdit2 &Ed, const QString &Path)
{
    try {
        if (Ed.Editor() == TEditor::Tgv)
            Ed.LoadTgv(Path);
        else
            Ed.LoadText(Path, Ed.Editor());
        return true;
    } catch (const EErrorLoading &e) {
        PrintError(LoadingFailureText(Path, e));
        return false;
    }
}

// Writes Image as a PNG file at Path, replacing it only once complete. Reports the failure and
// returns false.
bool WritePng(const QImage &Image, const QString &Path)
{
    const auto fail = [&Path](const QString &Reason) {
        PrintError(ResString(TResId::sFileErrorwhilesaving) + Path + QLatin1Char('\n') + Reason);
        return false;
    };
    if (const QString problem = SaveTargetProblem(Path); !problem.isEmpty())
        return fail(problem);
    QSaveFile file(Path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(CannotWriteReason(file.errorString()));
    QImageWriter writer(&file, "png");
    const TQuietImageIo quiet;
    if (!writer.write(Image)) {
        const QString reason = CannotWriteReason(writer.errorString());
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(CannotWriteReason(file.errorString()));
    return true;
}

// The options both commands share the parsing of: "--name value" or "--name=value".
struct TArgs {
    QStringList Files;
    QString Error; // set on the first usage error
    QStringList Flags;
    QList<QPair<QString, QString>> Values;

    std::optional<QString> Value(const QString &Name) const
    {
        for (const auto &v : Values)
            if (v.first == Name)
                return v.second;
        return std::nullopt;
    }
};

TArgs ParseArgs(const QStringList &Arguments, const QString &Command, const QStringList &Flags, const QStringList &Valued)
{
    TArgs r;
    bool commandSeen = false;
    for (qsizetype i = 1; i < Arguments.size() && r.Error.isEmpty(); ++i) {
        QString a = Arguments[i];
        if (a == Command && !commandSeen) {
            commandSeen = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            r.Files.append(a);
            continue;
        }
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = a.indexOf('='); eq > 0) {
            value = a.mid(eq + 1);
            a.truncate(eq);
            hasValue = true;
        }
        const bool repeated = r.Flags.contains(a) || r.Value(a).has_value();
        if (Flags.contains(a) && !hasValue && !repeated) {
            r.Flags.append(a);
        } else if (Valued.contains(a) && !repeated) {
            if (!hasValue) {
                if (i + 1 >= Arguments.size()) {
                    r.Error = ResString(TResId::sCliBadValue).arg(a, QString());
                    break;
                }
                value = Arguments[++i];
            }
            r.Values.append({a, value});
        } else {
            r.Error = ResString(TResId::sCliUnknownArgument).arg(Arguments[i]);
        }
    }
    if (r.Error.isEmpty() && r.Files.size() != 2)
        r.Error = r.Files.size() < 2 ? ResString(TResId::sCliMissingFiles).arg(Command)
                                     : ResString(TResId::sCliUnknownArgument).arg(r.Files[2]);
    return r;
}
} // namespace

int RunConvert(const QStringList &Arguments)
{
    const QString executeWithOpt = QStringLiteral("--execute-with");
    const QString noExecuteOpt = QStringLiteral("--no-execute");
    const QString menuCharOpt = QStringLiteral("--menu-char");
    const QString menuStartOpt = QStringLiteral("--menu-when-started");
    const TArgs args = ParseArgs(Arguments, QStringLiteral("--convert"), {noExecuteOpt, menuStartOpt},
                                 {executeWithOpt, menuCharOpt});
    if (!args.Error.isEmpty())
        return UsageError(args.Error);
    const std::optional<QString> executeWith = args.Value(executeWithOpt);
    const bool noExecute = args.Flags.contains(noExecuteOpt);
    if (executeWith && noExecute)
        return UsageError(ResString(TResId::sCliUnknownArgument).arg(noExecuteOpt));
    // The program name is calculator text, one byte a character.
    if (executeWith && QString::fromLatin1(executeWith->toLatin1()) != *executeWith)
        return UsageError(ResString(TResId::sCliBadValue).arg(executeWithOpt, *executeWith));
    const std::optional<QString> menuChar = args.Value(menuCharOpt);
    if (menuChar && (menuChar->size() != 1 || menuChar->at(0).unicode() > 255))
        return UsageError(ResString(TResId::sCliBadValue).arg(menuCharOpt, *menuChar));
    const QString in = args.Files[0];
    const QString out = args.Files[1];

    const std::unique_ptr<THPEdit2> ed = NewEditor(FormatOfFile(in));
    try {
        ed->NewDocument();
    } catch (const EFileError &) {
        // Fonts only matter on screen; the bytes converted do not depend on them.
    }
    if (!Load(*ed, in))
        return ExitFailure;

    // What the save dialog proposes when confirmed as it stands: a TGV document's dialog has no
    // program name; the others propose the document's own, and none when it has none.
    QString program = ed->Editor() == TEditor::Tgv ? QString() : ed->ExecuteWith();
    if (executeWith)
        program = *executeWith;
    if (noExecute)
        program.clear();
    if (menuChar)
        ed->SetMenuChar(uint8_t(menuChar->at(0).unicode()));
    if (args.Flags.contains(menuStartOpt))
        ed->SetMenuWhenStarted(true);

    try {
        const QString ext = Extension(out);
        if (ext == QLatin1String("TGV") || ext == QLatin1String("T49"))
            ed->SaveTgv(out, ext == QLatin1String("T49"));
        else
            ed->SaveText(out, FormatOfFile(out), program);
    } catch (const EErrorSaving &e) {
        PrintError(SavingFailureText(out, e));
        return ExitFailure;
    }
    return 0;
}

int RunRender(const QStringList &Arguments)
{
    const QString rightEdgeOpt = QStringLiteral("--right-edge");
    const TArgs args = ParseArgs(Arguments, QStringLiteral("--render"), {}, {rightEdgeOpt});
    if (!args.Error.isEmpty())
        return UsageError(args.Error);
    std::optional<int> rightEdge;
    if (const std::optional<QString> v = args.Value(rightEdgeOpt)) {
        bool ok = false;
        rightEdge = v->toInt(&ok);
        if (!ok || *rightEdge < 1 || *rightEdge > MaxRightEdge)
            return UsageError(ResString(TResId::sCliBadValue).arg(rightEdgeOpt, *v));
    }
    const QString in = args.Files[0];
    const QString out = args.Files[1];

    const std::unique_ptr<THPEdit2> ed = NewEditor(FormatOfFile(in));
    try {
        ed->NewDocument();
    } catch (const EFileError &e) {
        // Without its fonts the picture would show blank cells: not a faithful rendering.
        PrintError(e.Message());
        return ExitFailure;
    }
    if (!Load(*ed, in))
        return ExitFailure;
    if (rightEdge)
        ed->SetRightEdge(*rightEdge);

    QImage image;
    try {
        image = ed->RenderDocument();
    } catch (const EErrorSaving &e) {
        PrintError(SavingFailureText(out, e));
        return ExitFailure;
    }
    return WritePng(image, out) ? 0 : ExitFailure;
}
