#pragma once
// A real Kermit server at the far end of a cable: C-Kermit in server mode, receiving binary files
// into a folder of its own, on one end of a socat pseudo-terminal pair whose other end the sender
// opens. Like the calculator, it drops a file whose transfer was abandoned.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The simulated cable (the program tools/cable) in place of a plain pair of terminals: bytes a
// second each way (0: as fast as they come) and the chance of each byte being garbled or lost.
struct TCable {
    double Rate = 0;
    double Garble = 0;
    double Drop = 0;
    unsigned Seed = 1;
};

class TKermitServer {
public:
    TKermitServer();
    ~TKermitServer();
    TKermitServer(const TKermitServer &) = delete;
    TKermitServer &operator=(const TKermitServer &) = delete;

    // Starts the cable (a socat pair unless Cable is given), and the server unless WithServer is
    // false (a line where nobody answers). False with the reason in Error when a tool is missing
    // or does not come up.
    bool Start(QString &Error, bool WithServer = true, const TCable *Cable = nullptr);
    // The device the sender opens.
    QString SenderDevice() const { return FDir.filePath("A"); }
    // The device the server holds.
    QString ServerDevice() const { return FDir.filePath("B"); }
    QString ReceiveFolder() const { return FDir.filePath("received"); }
    // A received file's bytes; a null array when the file is not there.
    QByteArray Received(const QString &Name) const;
    // Puts a file where the server sends files from (its receiving folder).
    bool PutServerFile(const QString &Name, const QByteArray &Data) const;
    // A scratch folder for files to send.
    QString ScratchPath(const QString &Name) const { return FDir.filePath(Name); }
    QString ServerLog() const;

private:
    bool WaitForServerReady(QString &Error);
    QTemporaryDir FDir;
    QProcess FCable;
    QProcess FKermit;
};
