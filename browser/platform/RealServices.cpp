#include "EngineWebBrowser.h"
#include "FileInternetState.h"
#include "LinuxSystemFacts.h"
#include "QtDialogs.h"

#include <QByteArray>
#include <QtGlobal>

namespace velmora::platform {

Services makeRealServices()
{
    Services services;
    services.browsers = std::make_unique<EngineWebBrowserFactory>();
    services.dialogs = std::make_unique<QtDialogs>();
    services.system = std::make_unique<LinuxSystemFacts>();
    services.internet = std::make_unique<FileInternetState>();
    return services;
}

} // namespace velmora::platform

namespace velmora::platform {

void prepareEngine()
{
    // Every tab would otherwise get a renderer process of its own; a browser
    // that keeps hundreds of tabs open shares a few instead.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit")) {
        flags += flags.isEmpty() ? "" : " ";
        flags += "--renderer-process-limit=4";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

} // namespace velmora::platform
