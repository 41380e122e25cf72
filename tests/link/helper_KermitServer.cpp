#include "helper_KermitServer.h"

#include "u_Errors.h"
#include "u_Kermit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

TKermitServer::TKermitServer() = default;

TKermitServer::~TKermitServer()
{
    // Asked to end first, C-Kermit removes its lock file instead of leaving a stale one behind.
    for (QProcess *p : {&FKermit, &FCable}) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(1000)) {
                p->kill();
                p->waitForFinished(2000);
            }
        }
    }
}

bool TKermitServer::Start(QString &Error, bool WithServer, const TCable *Cable)
{
    const QString socat = QStandardPaths::findExecutable("socat");
    const QString kermit = QStandardPaths::findExecutable("kermit");
    if (socat.isEmpty() || kermit.isEmpty()) {
        Error = "socat and C-Kermit (package ckermit) are needed; scripts/setup.sh installs them";
        return false;
    }
    if (!FDir.isValid() || !QDir(FDir.path()).mkpath("received")) {
        Error = "no temporary folder";
        return false;
    }

    if (Cable) {
        FCable.setProgram(QStringLiteral(QUILLO_BUILD_DIR "tools/cable"));
        FCable.setArguments({FDir.filePath("A"), FDir.filePath("B"), "--rate", QString::number(Cable->Rate),
                             "--garble", QString::number(Cable->Garble), "--drop", QString::number(Cable->Drop),
                             "--seed", QString::number(Cable->Seed)});
    } else {
        FCable.setProgram(socat);
        FCable.setArguments({"pty,raw,echo=0,link=" + FDir.filePath("A"), "pty,raw,echo=0,link=" + FDir.filePath("B")});
    }
    FCable.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FCable.start();
    QElapsedTimer clock;
    clock.start();
    while (!(QFileInfo::exists(FDir.filePath("A")) && QFileInfo::exists(FDir.filePath("B")))) {
        if (clock.elapsed() > 5000 || FCable.state() == QProcess::NotRunning) {
            Error = FCable.program() + " did not create the pseudo-terminal pair";
            return false;
        }
        QThread::msleep(10);
    }
    if (!WithServer)
        return true;

    FKermit.setProgram(kermit);
    FKermit.setWorkingDirectory(ReceiveFolder());
    FKermit.setArguments({"-Y", "-C",
                          "set line " + FDir.filePath("B")
                              + ", set carrier-watch off, set flow none, set speed 9600, set file type binary,"
                                " set file names literal, set file collision overwrite, set file incomplete discard, server"});
    FKermit.setStandardOutputFile(FDir.filePath("server.log"));
    FKermit.setStandardInputFile(QProcess::nullDevice());
    FKermit.start();
    if (!FKermit.waitForStarted(5000)) {
        Error = "C-Kermit did not start";
        return false;
    }
    return WaitForServerReady(Error);
}

// The server is ready once it answers: a short connection is tried until it is acknowledged.
bool TKermitServer::WaitForServerReady(QString &Error)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (FKermit.state() == QProcess::NotRunning)
            break;
        try {
            Tkermit probe;
            probe.Open(SenderDevice());
            probe.SetTimeouts(1);
            probe.SetLineSettings(CalculatorBaud, 0, 8, 0);
            if (probe.Connect() && probe.Disconnect())
                return true;
        } catch (const EError &) {
        }
        QThread::msleep(200);
    }
    Error = "C-Kermit does not answer in server mode:\n" + ServerLog();
    return false;
}

QByteArray TKermitServer::Received(const QString &Name) const
{
    QFile f(QDir(ReceiveFolder()).filePath(Name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = f.readAll();
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

QString TKermitServer::ServerLog() const
{
    QFile f(FDir.filePath("server.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
}

bool TKermitServer::PutServerFile(const QString &Name, const QByteArray &Data) const
{
    QFile f(QDir(ReceiveFolder()).filePath(Name));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(Data) == Data.size();
}
