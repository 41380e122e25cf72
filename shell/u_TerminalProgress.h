#pragma once
// The progress of one file of a transfer on the command line: a line redrawn in place when
// standard output is a terminal, one summary line per file otherwise (logs and pipes).
#include <QElapsedTimer>
#include <QString>

class TTerminalProgress {
public:
    TTerminalProgress();

    void StartFile(const QString &Name);
    void Packet(int Number);
    // Total is -1 while the size is not known (a file being received).
    void Progress(qint64 Position, qint64 Total);
    void EndFile();
    // Ends the progress line on a terminal, as it stands, so that a message can follow it.
    void BreakLine();

private:
    QString Line() const;
    void Draw(bool Force);

    bool FInteractive;
    QString FName;
    int FPacket = 0;
    qint64 FPosition = 0;
    qint64 FTotal = -1;
    QElapsedTimer FClock;
};
