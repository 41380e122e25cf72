#include "u_PortLock.h"

#include "u_ResourceStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray ReadAll(const QString &Path, qint64 Limit)
{
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.read(Limit);
}

bool ProcessAlive(qint64 Pid)
{
    // A process of another user still answers, with a refusal.
    return Pid > 0 && (::kill(pid_t(Pid), 0) == 0 || errno == EPERM);
}

// Who holds a live lock, in the user's words.
QString HolderText(qint64 Pid, const QString &Device)
{
    const QString program = QString::fromLocal8Bit(ReadAll(QStringLiteral("/proc/%1/comm").arg(Pid), 256)).trimmed();
    if (program.isEmpty())
        return ResString(TResId::sPortLockedByProcess).arg(Pid).arg(Device);
    return ResString(TResId::sPortLockedBy).arg(program).arg(Pid).arg(Device);
}

// Writes the whole of Data to a new file at Path; false, with nothing left behind, when it fails.
bool WriteNewFile(const QByteArray &Path, const QByteArray &Data)
{
    const int fd = ::open(Path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Readable by every program that looks for the owner, whatever the umask.
    const bool ok = ::fchmod(fd, 0644) == 0 && ::write(fd, Data.constData(), size_t(Data.size())) == Data.size();
    if (::close(fd) != 0 || !ok) {
        ::unlink(Path.constData());
        return false;
    }
    return true;
}

std::atomic<int> TempCounter{0};
} // namespace

QStringList TPortLock::DefaultFolders()
{
    return {QStringLiteral("/run/lock"), QStringLiteral("/var/lock")};
}

TPortLock::TPortLock(QStringList Folders) : FFolders(std::move(Folders)) {}

QString TPortLock::LockName(const QString &Device)
{
    // A link such as /dev/serial/by-id/... or a test's pseudo-terminal name leads to the node
    // the other programs lock.
    const QString node = QFileInfo(Device).canonicalFilePath();
    if (node.isEmpty())
        return QString();
    return QStringLiteral("LCK..") + QFileInfo(node).fileName();
}

QByteArray TPortLock::Contents(qint64 Pid)
{
    return QStringLiteral("%1\n").arg(Pid, 10).toLatin1();
}

qint64 TPortLock::ParsePid(const QByteArray &Contents)
{
    bool ok = false;
    const qint64 pid = Contents.trimmed().toLongLong(&ok);
    if (ok)
        return pid > 0 ? pid : 0;
    // Older programs stored the id as a binary 32-bit number.
    if (Contents.size() == 4) {
        int32_t binary;
        std::memcpy(&binary, Contents.constData(), 4);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

bool TPortLock::Acquire(const QString &Device, QString &Holder)
{
    Release();
    Holder.clear();
    const QString name = LockName(Device);
    if (name.isEmpty())
        return true; // no such device: opening it fails on its own
    QString folder;
    for (const QString &f : FFolders)
        if (QFileInfo(f).isDir()) {
            folder = f;
            break;
        }
    if (folder.isEmpty() || ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return true;

    const QString path = QDir(folder).filePath(name);
    const QByteArray lockPath = QFile::encodeName(path);
    const qint64 self = ::getpid();
    // The lock is written under a name of its own and linked into place, so that nobody ever
    // reads a half-written one and two programs cannot both take it.
    const QByteArray temp =
        QFile::encodeName(QDir(folder).filePath(QStringLiteral("LTMP.%1.%2").arg(self).arg(TempCounter++)));
    if (!WriteNewFile(temp, Contents(self)))
        return true;

    bool taken = true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::link(temp.constData(), lockPath.constData()) == 0) {
            FPath = path;
            break;
        }
        if (errno != EEXIST)
            break; // no lock can be made here; the open stays exclusive by itself
        const qint64 owner = ParsePid(ReadAll(path, 64));
        if (ProcessAlive(owner)) {
            // Another part of this program holding the line needs no introduction.
            if (owner != self)
                Holder = HolderText(owner, Device);
            taken = false;
            break;
        }
        // Left behind by a program that has ended.
        if (::unlink(lockPath.constData()) != 0 && errno != ENOENT)
            break;
    }
    ::unlink(temp.constData());
    return taken;
}

void TPortLock::Release()
{
    if (FPath.isEmpty())
        return;
    // Only our own: a lock another program took after removing ours as stale stays.
    if (ParsePid(ReadAll(FPath, 64)) == ::getpid())
        ::unlink(QFile::encodeName(FPath).constData());
    FPath.clear();
}
