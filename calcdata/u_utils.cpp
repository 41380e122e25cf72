#include "u_utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString AppDir;

QString GetAppDir()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}

QString FileNameWithoutExt(const QString &Path)
{
    // Both separators count, so a path written either way gives the same name.
    const qsizetype slash = std::max(Path.lastIndexOf('/'), Path.lastIndexOf('\\'));
    const QString name = Path.mid(slash + 1);
    const qsizetype dot = name.indexOf('.');
    return dot < 0 ? name : name.left(dot);
}

QString FileIdentity(const QString &Path)
{
    const QFileInfo info(Path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool SameFile(const QString &A, const QString &B)
{
    return FileIdentity(A) == FileIdentity(B);
}
