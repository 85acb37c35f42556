#include "EngineHttpCache.h"
#include "EngineStillFrames.h"
#include "EngineWebBrowser.h"
#include "FileInternetState.h"
#include "LinuxSystemFacts.h"
#include "NmcliDialUp.h"
#include "QtDialogs.h"
#include "RegistryFile.h"
#include "ShellFavoritesDesktop.h"

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
    services.dialUp = std::make_unique<NmcliDialUp>();
    services.cache = std::make_unique<EngineHttpCache>(
        EngineWebBrowserFactory::storagePath() + QStringLiteral("/cache"));
    auto registry = std::make_unique<FileRegistry>();
    registry->createFile(FileRegistry::engineInstallValues());
    services.registry = std::move(registry);
    services.favorites = std::make_unique<DesktopShellFavorites>();
    return services;
}

} // namespace velmora::platform

namespace velmora::platform {

void prepareEngine()
{
    EngineStillFrames::registerScheme();
    // Every tab would otherwise get a renderer process of its own; a browser
    // that keeps hundreds of tabs open shares a few instead.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit")) {
        flags += flags.isEmpty() ? "" : " ";
        flags += "--renderer-process-limit=12";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

} // namespace velmora::platform
