#include "u_QuilloIcons.h"

#include <QImageReader>

static void InitIconResources() { Q_INIT_RESOURCE(quillo_icons); }

namespace {
QString BaseName(TQuilloIcon Icon)
{
    switch (Icon) {
    case TQuilloIcon::Program: return QStringLiteral(":/icons/quillo");
    case TQuilloIcon::XView: return QStringLiteral(":/icons/xview");
    case TQuilloIcon::Tgv: return QStringLiteral(":/icons/tgv");
    case TQuilloIcon::Eden: return QStringLiteral(":/icons/eden");
    case TQuilloIcon::HP49: return QStringLiteral(":/icons/hp49");
    }
    return QString();
}
} // namespace

QString QuilloIconPath(TQuilloIcon Icon)
{
    InitIconResources();
    return BaseName(Icon) + QStringLiteral(".svg");
}

QIcon QuilloIcon(TQuilloIcon Icon)
{
    InitIconResources();
    const QString base = BaseName(Icon);
    QIcon icon;
    if (QImageReader::supportedImageFormats().contains("svg"))
        icon.addFile(base + QStringLiteral(".svg"));
    icon.addFile(base + QStringLiteral("-64.png"), QSize(64, 64));
    icon.addFile(base + QStringLiteral("-128.png"), QSize(128, 128));
    return icon;
}
