#include "u_TerminalProgress.h"

#include "u_ResourceStrings.h"

#include <cstdio>
#include <unistd.h>

TTerminalProgress::TTerminalProgress() : FInteractive(isatty(fileno(stdout)) != 0) {}

void TTerminalProgress::StartFile(const QString &Name)
{
    FName = Name;
    FPacket = 0;
    FPosition = 0;
    FTotal = -1;
    FClock.invalidate();
    Draw(true);
}

void TTerminalProgress::Packet(int Number)
{
    FPacket = Number;
    Draw(false);
}

void TTerminalProgress::Progress(qint64 Position, qint64 Total)
{
    FPosition = Position;
    FTotal = Total;
    Draw(false);
}

void TTerminalProgress::EndFile()
{
    if (FInteractive) {
        BreakLine();
        return;
    }
    std::fputs(qPrintable(Line() + '\n'), stdout);
    std::fflush(stdout);
    FName.clear();
}

void TTerminalProgress::BreakLine()
{
    if (FInteractive && !FName.isEmpty()) {
        Draw(true);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    FName.clear();
}

QString TTerminalProgress::Line() const
{
    QString line = ResString(TResId::sFile) + FName + QStringLiteral("  ") + ResString(TResId::sPacket)
        + QString::number(FPacket) + QStringLiteral("  ") + ResString(TResId::sBytesTransferred)
        + QString::number(FPosition);
    if (FTotal >= 0)
        line += '/' + QString::number(FTotal);
    return line;
}

void TTerminalProgress::Draw(bool Force)
{
    // The connection's own packets come before any file.
    if (!FInteractive || FName.isEmpty())
        return;
    // Redrawing for every packet would cost more than sending it.
    if (!Force && FClock.isValid() && FClock.elapsed() < 100)
        return;
    FClock.start();
    // A file of unknown size has no bar to fill.
    QString bar;
    if (FTotal >= 0) {
        constexpr int width = 30;
        const int filled = FTotal > 0 ? int(FPosition * width / FTotal) : 0;
        const int percent = FTotal > 0 ? int(FPosition * 100 / FTotal) : 0;
        bar = '[' + QString(filled, '#') + QString(width - filled, '-') + QStringLiteral("] %1% ").arg(percent, 3);
    }
    std::fputs(qPrintable('\r' + bar + Line() + QStringLiteral("\x1b[K")), stdout);
    std::fflush(stdout);
}
