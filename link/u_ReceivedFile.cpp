#include "u_ReceivedFile.h"

#include "u_CalculatorName.h"
#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// File systems take names of up to 255 bytes.
constexpr qsizetype LongestName = 255;
// Enough tries to find a free name in any real folder, few enough never to hang on a strange one.
constexpr int MostSuffixes = 10000;

[[noreturn]] void RaiseSaving(const QString &Path, const QString &Reason)
{
    throw EErrorSaving(ResString(TResId::sFileErrorwhilesaving) + Path, Reason);
}
} // namespace

QString SafeLocalName(const QByteArray &Codes)
{
    QString name;
    for (const QChar c : CalculatorNameText(Codes)) {
        const bool bad = c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 32 || c.unicode() == 127
            || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
        name.append(bad ? QChar(QLatin1Char('_')) : c);
    }
    name = name.trimmed();
    // A leading dot would hide the file, and "." or ".." name folders.
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    while (QFile::encodeName(name).size() > LongestName)
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("received");
    return name;
}

QString ReceiveFolderProblem(const QString &Folder)
{
    const QFileInfo folder(Folder);
    if (folder.isDir())
        return QString();
    return ResString(folder.exists() ? TResId::sNotAFolder : TResId::sNoSuchFolder).arg(QDir::toNativeSeparators(Folder));
}

QString WriteReceivedFile(const QString &Folder, const QString &Name, const QByteArray &Data, bool Overwrite)
{
    const QDir dir(Folder);
    const QString first = dir.filePath(Name);
    if (const QString problem = ReceiveFolderProblem(Folder); !problem.isEmpty())
        RaiseSaving(first, problem);

    if (Overwrite) {
        // Replaced in one step: the old file stays whole until the new one is. Unbuffered, so
        // that a full disk fails the write rather than leaving a short file committed.
        QSaveFile out(first);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(Data) != Data.size() || !out.commit())
            RaiseSaving(first, out.errorString());
        return first;
    }

    // Written under a temporary name, then moved to the first free name by a rename that never
    // replaces a file, not even one that appears meanwhile (or a link, where the file system has
    // no such rename).
    QTemporaryFile temp(dir.filePath(QStringLiteral(".quillo-receive-XXXXXX")));
    // The usual permissions of a new file, not the private ones of a temporary file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!temp.open() || ::fchmod(temp.handle(), 0666 & ~mask) != 0 || temp.write(Data) != Data.size() || !temp.flush() || ::fsync(temp.handle()) != 0)
        RaiseSaving(first, temp.errorString());
    const QByteArray from = QFile::encodeName(temp.fileName());
    for (int n = 0; n <= MostSuffixes; ++n) {
        QString name = n == 0 ? Name : Name + QStringLiteral("~%1").arg(n);
        const QString path = dir.filePath(name);
        const QByteArray to = QFile::encodeName(path);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return path;
        if (errno == EINVAL && ::link(from.constData(), to.constData()) == 0)
            return path;
        if (errno != EEXIST)
            RaiseSaving(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    RaiseSaving(first, ResString(TResId::sNoFreeName));
}
