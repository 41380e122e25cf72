// quillo --send FILE... --port N|DEVICE [--calculator hp48|hp49] [--as NAME] [--block-check 1|2|3]
// [--no-repeat]: the transfer window's work without a window. The files go to the calculator in
// one Kermit connection, each with its header adapted to the chosen model, while a progress line
// shows file, packet and bytes on the terminal.
#include "u_CalculatorFile.h"
#include "u_CalculatorName.h"
#include "u_Errors.h"
#include "u_Headless.h"
#include "u_HeadlessLink.h"
#include "u_Kermit.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_TerminalProgress.h"

#include <QFileInfo>
#include <cstdio>

namespace {
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

void PrintError(const QString &Text)
{
    std::fputs(qPrintable(Text + '\n'), stderr);
    std::fflush(stderr);
}

struct TSendRequest {
    QStringList Files;
    QString Port;
    int Calculator = CalculatorHP48;
    std::optional<QString> RemoteName; // --as, for the one file
    TKermitOptions Options;
};

} // namespace

namespace {
// Reads the command line; on a usage error returns false with the message in Error.
bool ParseSend(const TCommandLine &Line, TSendRequest &Request, QString &Error)
{
    if (!Line.Error.isEmpty()) {
        Error = Line.Error;
        return false;
    }
    Request.Files = Line.Files;
    Request.Port = Line.Value(QStringLiteral("port")).value_or(QString());
    const bool portGiven = !Request.Port.isEmpty();
    const std::optional<QString> model = Line.Value(QStringLiteral("calculator"));
    if (model) {
        if (model->compare(QLatin1String("hp48"), Qt::CaseInsensitive) == 0) {
            Request.Calculator = CalculatorHP48;
        } else if (model->compare(QLatin1String("hp49"), Qt::CaseInsensitive) == 0) {
            Request.Calculator = CalculatorHP49;
        } else {
            Error = ResString(TResId::sSendBadCalculator).arg(*model);
            return false;
        }
    }
    if (!ParseLinkOptions(Line, Request.Options, Error))
        return false;
    if (Request.Files.isEmpty()) {
        Error = ResString(TResId::sSendNeedsFiles);
        return false;
    }
    Request.RemoteName = Line.Value(QStringLiteral("as"));
    if (Request.RemoteName && Request.Files.size() != 1) {
        Error = ResString(TResId::sSendAsNeedsOneFile);
        return false;
    }
    if (!portGiven) {
        Error = ResString(TResId::sSendNeedsPort);
        return false;
    }
    // Without --calculator the files go to the model the transfer window last used.
    if (!model && Settings)
        Request.Calculator = Settings->ReadInteger(SettingsKeys::TransferSection, SettingsKeys::Calculator,
                                                   SettingsKeys::DefaultCalculator);
    return true;
}

} // namespace

int RunSend(const TCommandLine &Line)
{
    TSendRequest request;
    QString usageError;
    if (!ParseSend(Line, request, usageError))
        return UsageError(usageError);

    TTerminalProgress progress;
    try {
        // Every file is looked at, then read, before the line is touched: a missing file, a pipe
        // or a device is reported at once, without leaving the calculator in the middle of a
        // connection.
        for (const QString &path : std::as_const(request.Files))
            if (const QString problem = CalculatorFileProblem(path); !problem.isEmpty())
                throw EFileError(problem);
        // A name the calculator would receive altered is refused before connecting too.
        QList<QByteArray> names;
        for (const QString &path : std::as_const(request.Files))
            names.append(CheckedCalculatorName(request.RemoteName.value_or(QFileInfo(path).fileName())));
        QList<QByteArray> contents;
        for (const QString &path : std::as_const(request.Files))
            contents.append(LoadFileForCalculator(path, request.Calculator));

        Tkermit kermit;
        kermit.Options = request.Options;
        OpenCalculatorLine(kermit, request.Port);
        // Ctrl+C stops the transfer at once, as the window's Cancel button does.
        CatchInterrupt();
        kermit.OnPacket = [&progress](int Number) { progress.Packet(Number); };
        kermit.OnProgress = [&progress](qint64 Position, bool &Cancel, qint64 Total) {
            progress.Progress(Position, Total);
            Cancel = Interrupted();
        };
        kermit.OnWait = [](bool &Cancel) { Cancel = Interrupted(); };

        if (!kermit.Connect()) {
            PrintError(ResString(TResId::sCannotConnect) + kermit.NoAnswerHint());
            return ExitFailure;
        }
        for (qsizetype i = 0; i < request.Files.size(); ++i) {
            progress.StartFile(CalculatorNameText(names.at(i)));
            kermit.SendFile(names.at(i), contents.at(i));
            progress.EndFile();
        }
        if (!kermit.Disconnect()) {
            PrintError(ResString(TResId::sCannotDeConnect));
            return ExitFailure;
        }
    } catch (const EError &e) {
        progress.BreakLine();
        PrintError(e.Message());
        return ExitFailure;
    }
    return 0;
}
