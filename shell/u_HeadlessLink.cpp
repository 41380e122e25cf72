#include "u_HeadlessLink.h"

#include "u_CalculatorName.h"
#include "u_Errors.h"
#include "u_Kermit.h"
#include "u_ResourceStrings.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t InterruptRequested = 0;

void OnInterrupt(int)
{
    InterruptRequested = 1;
}
} // namespace

bool ParseLinkOptions(const TCommandLine &Line, TKermitOptions &Options, QString &Error)
{
    Options = KermitOptionsFromSettings();
    if (const std::optional<QString> check = Line.Value(QStringLiteral("block-check"))) {
        if (*check != QLatin1String("1") && *check != QLatin1String("2") && *check != QLatin1String("3")) {
            Error = ResString(TResId::sSendBadBlockCheck).arg(*check);
            return false;
        }
        Options.CheckType = check->toInt();
    }
    if (Line.IsSet(QStringLiteral("no-repeat")))
        Options.RepeatCounts = false;
    return true;
}

void OpenCalculatorLine(Tkermit &Kermit, const QString &Port)
{
    bool number = false;
    const int portNumber = Port.toInt(&number, 10);
    if (number && portNumber > 0)
        Kermit.Open(portNumber);
    else
        Kermit.Open(Port);
    Kermit.SetLineSettings(CalculatorBaud, 0, 8, 0);
}

void CatchInterrupt()
{
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted()
{
    return InterruptRequested != 0;
}

QByteArray CheckedCalculatorName(const QString &Name)
{
    QString problem;
    const QByteArray name = CalculatorName(Name, &problem);
    if (name.isEmpty())
        throw EFileError(problem);
    return name;
}
