// quillo --get NAME... --port N|DEVICE [--into DIR] [--overwrite] [--block-check 1|2|3]
// [--no-repeat]: asks the calculator, waiting in server mode, for each named variable and writes
// what it sends into DIR, under a name safe for this machine, never over an existing file unless
// asked to.
#include "u_CalculatorName.h"
#include "u_Errors.h"
#include "u_Headless.h"
#include "u_HeadlessLink.h"
#include "u_Kermit.h"
#include "u_ReceivedFile.h"
#include "u_ResourceStrings.h"
#include "u_TerminalProgress.h"

#include <QDir>
#include <cstdio>

namespace {
constexpr int ExitFailure = 1;

void Print(std::FILE *Stream, const QString &Text)
{
    std::fputs(qPrintable(Text + '\n'), Stream);
    std::fflush(Stream);
}
} // namespace

int RunGet(const TCommandLine &Line)
{
    if (!Line.Error.isEmpty())
        return UsageError(Line.Error);
    TKermitOptions options;
    QString error;
    if (!ParseLinkOptions(Line, options, error))
        return UsageError(error);
    if (Line.Files.isEmpty())
        return UsageError(ResString(TResId::sGetNeedsNames));
    const QString port = Line.Value(QStringLiteral("port")).value_or(QString());
    if (port.isEmpty())
        return UsageError(ResString(TResId::sGetNeedsPort));
    const QString folder = Line.Value(QStringLiteral("into")).value_or(QDir::currentPath());
    const bool overwrite = Line.IsSet(QStringLiteral("overwrite"));

    TTerminalProgress progress;
    // The variable being received when a failure comes: of several asked for, the message must
    // say which one failed (the progress line is not shown when the output is not a terminal).
    QString current;
    const auto fail = [&](const QString &Text) {
        progress.BreakLine();
        Print(stderr, current.isEmpty() ? Text : ResString(TResId::sGetFailed).arg(current) + '\n' + Text);
        return ExitFailure;
    };
    try {
        // Everything that can be refused is refused before the calculator is disturbed.
        if (const QString problem = ReceiveFolderProblem(folder); !problem.isEmpty())
            throw EFileError(problem);
        QList<QByteArray> names;
        for (const QString &name : std::as_const(Line.Files))
            names.append(CheckedCalculatorName(name));

        Tkermit kermit;
        kermit.Options = options;
        OpenCalculatorLine(kermit, port);
        CatchInterrupt();
        kermit.OnWait = [](bool &Cancel) { Cancel = Interrupted(); };
        kermit.OnPacket = [&progress](int Number) { progress.Packet(Number); };
        kermit.OnProgress = [&progress](qint64 Position, bool &Cancel, qint64 Total) {
            progress.Progress(Position, Total);
            Cancel = Interrupted();
        };

        for (const QByteArray &name : std::as_const(names)) {
            current = CalculatorNameText(name);
            // The line shows while the variable comes; what was written where follows it.
            progress.StartFile(current);
            const QList<TReceivedFile> files = kermit.GetFiles(name);
            progress.BreakLine();
            if (files.isEmpty())
                throw EErrorTransmission(ResString(TResId::sNothingReceived).arg(CalculatorNameText(name)));
            for (const TReceivedFile &file : files) {
                const QString path = WriteReceivedFile(folder, SafeLocalName(file.Name), file.Data, overwrite);
                Print(stdout, ResString(TResId::sReceivedFile)
                                  .arg(CalculatorNameText(file.Name), QDir::toNativeSeparators(path))
                                  .arg(file.Data.size()));
            }
        }
    } catch (const EFileFailure &e) {
        return fail(e.Reason().isEmpty() ? e.Message() : e.Message() + '\n' + e.Reason());
    } catch (const EError &e) {
        return fail(e.Message());
    }
    return 0;
}
