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

#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

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

// The progress of one file on the terminal: a line redrawn in place when standard output is a
// terminal, one summary line per file otherwise (logs and pipes).
class TTerminalProgress {
public:
    TTerminalProgress() : FInteractive(isatty(fileno(stdout)) != 0) {}

    void StartFile(const QString &Name)
    {
        FName = Name;
        FPacket = 0;
        FPosition = FTotal = 0;
        FClock.invalidate();
        Draw(true);
    }
    void Packet(int Number)
    {
        FPacket = Number;
        Draw(false);
    }
    void Progress(qint64 Position, qint64 Total)
    {
        FPosition = Position;
        FTotal = Total;
        Draw(false);
    }
    void EndFile()
    {
        if (FInteractive) {
            Draw(true);
            std::fputc('\n', stdout);
        } else {
            std::fputs(qPrintable(Line() + '\n'), stdout);
        }
        std::fflush(stdout);
        FName.clear();
    }
    // A failure ends the progress line before the message goes out.
    void Abandon()
    {
        if (FInteractive && !FName.isEmpty()) {
            std::fputc('\n', stdout);
            std::fflush(stdout);
        }
        FName.clear();
    }

private:
    QString Line() const
    {
        return ResString(TResId::sFile) + FName + QStringLiteral("  ") + ResString(TResId::sPacket)
            + QString::number(FPacket) + QStringLiteral("  ") + ResString(TResId::sBytesTransferred)
            + QString::number(FPosition) + '/' + QString::number(FTotal);
    }
    void Draw(bool Force)
    {
        // The connection's own packets come before any file.
        if (!FInteractive || FName.isEmpty())
            return;
        // Redrawing for every packet would cost more than sending it.
        if (!Force && FClock.isValid() && FClock.elapsed() < 100)
            return;
        FClock.start();
        constexpr int width = 30;
        const int filled = FTotal > 0 ? int(FPosition * width / FTotal) : 0;
        const int percent = FTotal > 0 ? int(FPosition * 100 / FTotal) : 0;
        const QString bar = '[' + QString(filled, '#') + QString(width - filled, '-') + QStringLiteral("] %1% ").arg(percent, 3);
        std::fputs(qPrintable('\r' + bar + Line() + QStringLiteral("\x1b[K")), stdout);
        std::fflush(stdout);
    }

    bool FInteractive;
    QString FName;
    int FPacket = 0;
    qint64 FPosition = 0;
    qint64 FTotal = 0;
    QElapsedTimer FClock;
};
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
        progress.Abandon();
        PrintError(e.Message());
        return ExitFailure;
    }
    return 0;
}
