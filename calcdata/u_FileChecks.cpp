#include "u_FileChecks.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {
// What stands at a path that exists but is not a regular file.
QString KindProblem(mode_t Mode)
{
    if (S_ISFIFO(Mode))
        return ResString(TResId::sNotRegularPipe);
    if (S_ISCHR(Mode) || S_ISBLK(Mode))
        return ResString(TResId::sNotRegularDevice);
    if (S_ISDIR(Mode))
        return ResString(TResId::sNotRegularFolder);
    if (S_ISSOCK(Mode))
        return ResString(TResId::sNotRegularSocket);
    return ResString(TResId::sNotRegularFile);
}

// stat() on Path; errno is kept for the caller on failure.
bool StatPath(const QString &Path, struct stat &Info)
{
    const QByteArray native = QFile::encodeName(Path);
    return !native.isEmpty() && ::stat(native.constData(), &Info) == 0;
}

QString SystemText(int Error)
{
    return QString::fromLocal8Bit(std::strerror(Error));
}
} // namespace

QString RegularFileProblem(const QString &Path)
{
    struct stat info {};
    errno = 0;
    if (!StatPath(Path, info)) {
        const int error = errno;
        if (Path.isEmpty() || error == ENOENT || error == ENOTDIR)
            return ResString(TResId::sFileDoesNotExist);
        return CannotReadReason(SystemText(error));
    }
    return S_ISREG(info.st_mode) ? QString() : KindProblem(info.st_mode);
}

QString SaveTargetProblem(const QString &Path)
{
    struct stat info {};
    errno = 0;
    if (!StatPath(Path, info)) {
        // Nothing there: the save creates the file. Any other failure is left to the write itself,
        // which then says why it could not be done.
        return QString();
    }
    return S_ISREG(info.st_mode) ? QString() : KindProblem(info.st_mode);
}

bool IsSameFile(const QString &A, const QString &B)
{
    struct stat a {}, b {};
    return StatPath(A, a) && StatPath(B, b) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString CannotReadReason(const QString &SystemText)
{
    return ResString(TResId::sFileCannotBeRead).arg(SystemText);
}

QString CannotWriteReason(const QString &SystemText)
{
    return ResString(TResId::sFileCannotBeWritten).arg(SystemText);
}

void SaveFileWhole(const QString &Path, const std::function<void(const TBytePut &)> &Produce)
{
    auto fail = [](const QString &Reason) { throw EErrorSaving(ResString(TResId::sErrorWhileSavingFile), Reason); };
    // The save replaces the target by renaming a new file over it: a device or a pipe there would
    // be replaced by a plain file.
    if (const QString problem = SaveTargetProblem(Path); !problem.isEmpty())
        fail(problem);
    QSaveFile file(Path);
    // Unbuffered, a full disk or an exhausted quota fails the write that meets it. Through a
    // buffer it would show only when the buffer goes out at the commit, which then still puts
    // the short file in place of the old one and reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(CannotWriteReason(file.errorString()));
    // Until the commit nothing touches the file at Path: a failure, or an exception from Produce,
    // only drops the new file.
    bool written = true;
    Produce([&](QByteArrayView Piece) {
        // A write the disk fills part-way comes back short without a reason; writing the rest
        // fails at once, with the system's own ("No space left on device").
        for (qsizetype done = 0; written && done < Piece.size();) {
            const qint64 n = file.write(Piece.data() + done, Piece.size() - done);
            written = n > 0;
            done += n;
        }
    });
    if (!written) {
        const QString reason = CannotWriteReason(file.errorString());
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(CannotWriteReason(file.errorString()));
}

void SaveFileWhole(const QString &Path, const QByteArray &Data)
{
    SaveFileWhole(Path, [&Data](const TBytePut &Put) { Put(Data); });
}

namespace {
QString WithReason(const QString &FirstLine, const QString &Reason)
{
    return Reason.isEmpty() ? FirstLine : FirstLine + QLatin1Char('\n') + Reason;
}
} // namespace

QString LoadingFailureText(const QString &Path, const EErrorLoading &Failure)
{
    return WithReason(ResString(TResId::sErrorloading) + Path, Failure.Reason());
}

QString SavingFailureText(const QString &Path, const EErrorSaving &Failure)
{
    if (dynamic_cast<const ETooLargeToSave *>(&Failure))
        return Failure.Message();
    return WithReason(ResString(TResId::sFileErrorwhilesaving) + Path, Failure.Reason());
}
