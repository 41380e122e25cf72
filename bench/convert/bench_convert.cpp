// quillo --convert of large XV files to XV, run as a script runs it: the wall time and the peak
// memory of the process, against the size of the file (best time and highest peak of three runs).
// Three shapes: short lines, long lines, and nothing but line ends.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray XvFile(const QByteArray &Line, qsizetype Bytes)
{
    QByteArray body;
    body.reserve(Bytes + Line.size());
    while (body.size() < Bytes)
        body += Line;
    return "%%HP: T(1);\r\n\"" + body + "\"";
}

// Runs the conversion in a child of its own, so that the child's peak memory is its alone.
bool Convert(const QString &In, const QString &Out, double &Seconds, long &PeakKb)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const QByteArray in = In.toLocal8Bit(), out = Out.toLocal8Bit();
        execl(QUILLO_PROGRAM, QUILLO_PROGRAM, "--convert", in.constData(), out.constData(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return false;
    Seconds = double(timer.nsecsElapsed()) / 1e9;
    PeakKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
    struct TShape {
        const char *Name;
        QByteArray Line;
        qsizetype Bytes;
    };
    const TShape shapes[] = {
        {"short lines", "abc def ghi 12\r\n", qsizetype(50) << 20},
        {"long lines", QByteArray(2000, 'x') + "\r\n", qsizetype(50) << 20},
        {"line ends only", "\n", qsizetype(16) << 20},
    };
    std::printf("%-16s %8s %8s %10s %8s\n", "XV to XV", "MB", "s", "peak MB", "B/B");
    for (const TShape &s : shapes) {
        const QString in = dir.filePath("in.xv"), out = dir.filePath("out.xv");
        const QByteArray data = XvFile(s.Line, s.Bytes);
        QFile f(in);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            return 1;
        f.close();
        // Best of three: the first run also waits for the input just written to reach the disk.
        double seconds = 1e9;
        long peakKb = 0;
        bool converted = true;
        for (int run = 0; run < 3 && converted; ++run) {
            double runSeconds = 0;
            long runPeakKb = 0;
            converted = Convert(in, out, runSeconds, runPeakKb);
            seconds = std::min(seconds, runSeconds);
            peakKb = std::max(peakKb, runPeakKb);
        }
        if (!converted) {
            std::printf("%-16s conversion failed\n", s.Name);
            continue;
        }
        std::printf("%-16s %8.1f %8.3f %10.1f %8.2f\n", s.Name, double(data.size()) / 1048576.0, seconds,
                    double(peakKb) / 1024.0, double(peakKb) * 1024.0 / double(data.size()));
    }
    return 0;
}
