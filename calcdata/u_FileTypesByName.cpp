#include "u_FileTypesByName.h"

#include <QMimeType>

QIcon TFileTypesByName::icon(const QFileInfo &Info) const
{
    if (!Info.isFile())
        return QFileIconProvider::icon(Info);
    const QMimeType type = FTypes.mimeTypeForFile(Info, QMimeDatabase::MatchExtension);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), icon(File)));
}

QString TFileTypesByName::type(const QFileInfo &Info) const
{
    if (!Info.isFile())
        return QFileIconProvider::type(Info);
    const QMimeType type = FTypes.mimeTypeForFile(Info, QMimeDatabase::MatchExtension);
    return type.comment().isEmpty() ? type.name() : type.comment();
}
