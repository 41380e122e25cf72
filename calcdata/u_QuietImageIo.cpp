#include "u_QuietImageIo.h"

#include <QString>
#include <cstring>

namespace {
// The handler in force before the outermost TQuietImageIo: a message handler is a plain function,
// so the one it passes messages on to has to be reachable from it.
QtMessageHandler PassOn = nullptr;

bool FromImageCodec(const QMessageLogContext &Context, const QString &Message)
{
    return (Context.category && std::strcmp(Context.category, "qt.gui.imageio") == 0)
        || Message.startsWith(QLatin1String("libpng")) || Message.startsWith(QLatin1String("QImageIOHandler"));
}

void Filter(QtMsgType Type, const QMessageLogContext &Context, const QString &Message)
{
    if (Type == QtFatalMsg || !FromImageCodec(Context, Message))
        if (PassOn)
            PassOn(Type, Context, Message);
}
} // namespace

TQuietImageIo::TQuietImageIo() : FPrevious(qInstallMessageHandler(Filter))
{
    if (FPrevious != Filter)
        PassOn = FPrevious;
}

TQuietImageIo::~TQuietImageIo()
{
    qInstallMessageHandler(FPrevious);
}
