#include "u_FileTypesByName.h"

#include <QMimeType>

QIcon TFileTypesByName::icon(const QFileInfo &Info) const
{
    if (!Info.isFile())
        return QFileIconProvider::icon(Info);
    const QMimeType type = FTypes.mimeTypeForFile(Info, QMimeDatabase::MatchExtension);
    const QMutexLocker lock(&FIconsLock);
    auto found = FIcons.constFind(type.name());
    if (found == FIcons.cend())
        found = FIcons.insert(type.name(), QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), icon(File))));
    return *found;
}

QString TFileTypesByName::type(const QFileInfo &Info) const
{
    if (!Info.isFile())
        return QFileIconProvider::type(Info);
    const QMimeType type = FTypes.mimeTypeForFile(Info, QMimeDatabase::MatchExtension);
    return type.comment().isEmpty() ? type.name() : type.comment();
}
