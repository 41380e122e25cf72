#pragma once
// A program run to completion, timed as a user waits for it: start to exit.
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>

// Program's wall time in seconds, or a negative value when it fails (its errors then go to
// standard error).
inline double Timed(const QString &Program, const QStringList &Arguments, const QProcessEnvironment &Env)
{
    QProcess p;
    p.setProcessEnvironment(Env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    p.start(Program, Arguments);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fputs(p.readAllStandardError().constData(), stderr);
        return -1;
    }
    return clock.nsecsElapsed() / 1e9;
}
