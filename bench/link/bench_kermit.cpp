// Kermit throughput against C-Kermit in server mode on a socat pseudo-terminal pair: the same
// 100 KB file sent by `quillo --send` and by C-Kermit's own sender (window 1, 94-character packets,
// block check 1, no repeat counts), alternately, in the same run. Prints wall times, start to exit,
// and the engine's own time without process start. Fails only when a transfer fails.
#include "bench_process.h"
#include "u_Errors.h"
#include "u_Kermit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {
constexpr int Rounds = 5;
constexpr qsizetype FileSize = 100 * 1024;

void Say(const QString &Text)
{
    std::fputs(qPrintable(Text + '\n'), stdout);
    std::fflush(stdout);
}

int Fail(const QString &Text)
{
    std::fputs(qPrintable("bench_kermit: " + Text + '\n'), stderr);
    return 1;
}

double Median(QList<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values.isEmpty() ? 0 : Values.at(Values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString socat = QStandardPaths::findExecutable("socat");
    const QString kermit = QStandardPaths::findExecutable("kermit");
    const QString quillo = QUILLO_BUILD_DIR "quillo";
    if (socat.isEmpty() || kermit.isEmpty())
        return Fail("socat and C-Kermit (package ckermit) are needed");
    if (!QFileInfo::exists(quillo))
        return Fail("the program is not built");

    QTemporaryDir dir;
    const QString a = dir.filePath("A");
    const QString b = dir.filePath("B");
    QDir(dir.path()).mkpath("received");
    QDir(dir.path()).mkpath("config");
    QDir(dir.path()).mkpath("runtime");
    QFile::setPermissions(dir.filePath("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QByteArray data(FileSize, Qt::Uninitialized);
    QRandomGenerator random(100);
    for (char &c : data)
        c = char(random.bounded(256));
    const QString file = dir.filePath("RANDOM.BIN");
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            return Fail("cannot write the file to send");
    }

    QProcess cable;
    cable.start(socat, {"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
    QProcess server;
    server.setWorkingDirectory(dir.filePath("received"));
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardInputFile(QProcess::nullDevice());
    auto stop = [&] {
        for (QProcess *p : {&server, &cable}) {
            p->kill();
            p->waitForFinished(2000);
        }
    };
    QElapsedTimer wait;
    wait.start();
    while (!(QFileInfo::exists(a) && QFileInfo::exists(b)) && wait.elapsed() < 5000)
        QThread::msleep(10);
    server.start(kermit, {"-Y", "-C",
                          "set line " + b
                              + ", set carrier-watch off, set flow none, set speed 9600, set file type binary,"
                                " set file names literal, set file collision overwrite, server"});

    // The server is ready once it answers a short connection.
    bool ready = false;
    for (int attempt = 0; attempt < 5 && !ready; ++attempt) {
        try {
            Tkermit probe;
            probe.Open(a);
            probe.SetTimeouts(1);
            probe.SetLineSettings(CalculatorBaud, 0, 8, 0);
            ready = probe.Connect() && probe.Disconnect();
        } catch (const EError &) {
        }
    }
    if (!ready) {
        stop();
        return Fail("C-Kermit does not answer in server mode");
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString received = dir.filePath("received/RANDOM.BIN");
    auto arrived = [&] {
        QFile f(received);
        const bool same = f.open(QIODevice::ReadOnly) && f.readAll() == data;
        f.close();
        QFile::remove(received);
        return same;
    };

    const QString ckermitSend = "set line " + a
        + ", set carrier-watch off, set flow none, set speed 9600, set window 1, set send packet-length 94,"
          " set block-check 1, set repeat counts off, set file type binary, send " + file + ", quit";
    // The cost of a one-byte file is what each sender spends apart from the data: program start,
    // opening the line, the send-init and break exchanges.
    const QString tiny = dir.filePath("TINY.BIN");
    {
        QFile f(tiny);
        if (!f.open(QIODevice::WriteOnly) || f.write("t", 1) != 1)
            return Fail("cannot write the file to send");
    }
    const QString ckermitTiny = QString(ckermitSend).replace(file, tiny);
    QList<double> ours, theirs, engine, oursTiny, theirsTiny;
    for (int round = 0; round < Rounds; ++round) {
        const double tinyTheirs = Timed(kermit, {"-Y", "-C", ckermitTiny}, env);
        const double tinyOurs = Timed(quillo, {"--send", tiny, "--port", a}, env);
        if (tinyTheirs < 0 || tinyOurs < 0) {
            stop();
            return Fail("a one-byte file did not go through");
        }
        theirsTiny.append(tinyTheirs);
        oursTiny.append(tinyOurs);

        const double t1 = Timed(kermit, {"-Y", "-C", ckermitSend}, env);
        if (t1 < 0 || !arrived()) {
            stop();
            return Fail("C-Kermit's sender did not deliver the file");
        }
        theirs.append(t1);
        const double t2 = Timed(quillo, {"--send", file, "--port", a, "--calculator", "hp48"}, env);
        if (t2 < 0 || !arrived()) {
            stop();
            return Fail("quillo --send did not deliver the file");
        }
        ours.append(t2);

        // The engine alone, without starting a program.
        QElapsedTimer clock;
        clock.start();
        try {
            Tkermit k;
            k.Open(a);
            k.SetLineSettings(CalculatorBaud, 0, 8, 0);
            if (!k.Connect())
                throw EError("no connection");
            k.SendFile("RANDOM.BIN", data);
            if (!k.Disconnect())
                throw EError("no break");
        } catch (const EError &e) {
            stop();
            return Fail("the engine did not deliver the file: " + e.Message());
        }
        engine.append(clock.nsecsElapsed() / 1e9);
        if (!arrived()) {
            stop();
            return Fail("the engine's file arrived damaged");
        }
    }
    stop();

    const double q = Median(ours), c = Median(theirs), e = Median(engine);
    Say(QStringLiteral("Kermit, 100 KB of random bytes to C-Kermit in server mode, median of %1 rounds:").arg(Rounds));
    Say(QStringLiteral("  C-Kermit sender (window 1, packets of 94, check 1, no repeat counts): %1 s").arg(c, 0, 'f', 3));
    Say(QStringLiteral("  quillo --send, start to exit:                                        %1 s").arg(q, 0, 'f', 3));
    Say(QStringLiteral("  quillo's engine alone (connect, file, break):                        %1 s, %2 KB/s")
            .arg(e, 0, 'f', 3)
            .arg(FileSize / 1024.0 / e, 0, 'f', 0));
    Say(QStringLiteral("  one-byte file, C-Kermit sender / quillo --send:                      %1 s / %2 s")
            .arg(Median(theirsTiny), 0, 'f', 3)
            .arg(Median(oursTiny), 0, 'f', 3));
    Say(QStringLiteral("  ratio quillo / C-Kermit:                                             %1").arg(q / c, 0, 'f', 2));
    // Every packet waits for its answer, so the figures follow how busy the machine is.
    QFile load("/proc/loadavg");
    if (load.open(QIODevice::ReadOnly))
        Say(QStringLiteral("  load average during the run:                                         %1")
                .arg(QString::fromLatin1(load.readAll()).section(' ', 0, 2)));
    return 0;
}
