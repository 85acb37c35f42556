#include "AppIcon.h"

#include <QApplication>

// The resource lives in a static library: it is registered by hand.
static void registerIconResource()
{
    Q_INIT_RESOURCE(icon);
}

namespace velmora {

QIcon applicationIcon()
{
    registerIconResource();
    return QIcon(QStringLiteral(":/velmora/velmora.svg"));
}

void setApplicationIcon()
{
    QApplication::setWindowIcon(applicationIcon());
}

} // namespace velmora
