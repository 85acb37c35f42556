#include "EngineSetup.h"

#include "EngineBlankWindows.h"
#include "EngineOfflineWork.h"

#include <QByteArray>
#include <QtGlobal>

namespace velmora::platform {

void prepareEngine()
{
    EngineOfflineWork::registerSchemes();
    EngineBlankWindows::registerScheme();
    // Every tab would otherwise get a renderer process of its own; a browser
    // that keeps hundreds of tabs open shares a few instead.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit")) {
        flags += flags.isEmpty() ? "" : " ";
        flags += "--renderer-process-limit=12";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

QList<QByteArray> ownSchemes()
{
    return EngineOfflineWork::schemes() << EngineBlankWindows::scheme();
}

} // namespace velmora::platform
