#pragma once
// The lock file that serial programs on this system agree on: "LCK.." followed by the name of the
// device node, in the system's lock folder, holding the owner's process id as ten right-aligned
// digits and a line feed. A terminal program or file-transfer program that holds the line has one;
// opening the line under it would put our packets into its conversation.
#include <QString>
#include <QStringList>

class TPortLock {
public:
    // The folders looked in, in order; the first that exists is used.
    static QStringList DefaultFolders();

    explicit TPortLock(QStringList Folders = DefaultFolders());
    ~TPortLock() { Release(); }
    TPortLock(const TPortLock &) = delete;
    TPortLock &operator=(const TPortLock &) = delete;

    // Takes the lock of Device. False when a live process holds it: Holder then says which one, in
    // the user's words. A lock whose process has ended is removed and taken over. Where there is
    // no lock folder or it is not writable, no lock file is made and the result is true.
    bool Acquire(const QString &Device, QString &Holder);
    // Removes the lock this object holds, if it still is ours.
    void Release();
    // The lock file this object holds; empty when none.
    QString Path() const { return FPath; }

    // The lock file's name for Device: "LCK.." and the name of the device node the path leads to.
    static QString LockName(const QString &Device);
    // What a lock file holds for process Pid.
    static QByteArray Contents(qint64 Pid);
    // The process id in a lock file's contents (ten digits as text, or an older binary form); 0
    // when there is none.
    static qint64 ParsePid(const QByteArray &Contents);

private:
    QStringList FFolders;
    QString FPath;
};
