#include "u_utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString AppDir;

namespace {
QString WithSlash(const QString &Dir) { return Dir.endsWith('/') ? Dir : Dir + '/'; }

// An installed program (/usr/bin/quillo) keeps its data in <prefix>/share/quillo and its string-table
// modules in <prefix>/lib/quillo/translations; a build tree or an unpacked copy keeps everything
// beside the program.
bool InstalledApart(const QString &ExeDir)
{
    return !QFileInfo(ExeDir + QStringLiteral("/fonts")).isDir()
        && QFileInfo(ExeDir + QStringLiteral("/../share/quillo/fonts")).isDir();
}
} // namespace

QString AppDirFor(const QString &ExeDir)
{
    if (InstalledApart(ExeDir))
        return WithSlash(QDir::cleanPath(ExeDir + QStringLiteral("/../share/quillo")));
    return WithSlash(ExeDir);
}

QString ModuleDirFor(const QString &ExeDir)
{
    if (InstalledApart(ExeDir))
        return WithSlash(QDir::cleanPath(ExeDir + QStringLiteral("/../lib/quillo/translations")));
    return WithSlash(ExeDir);
}

QString GetAppDir() { return AppDirFor(QCoreApplication::applicationDirPath()); }

QString GetModuleDir() { return ModuleDirFor(QCoreApplication::applicationDirPath()); }

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
