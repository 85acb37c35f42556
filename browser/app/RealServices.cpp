#include "RealServices.h"

#include "EngineOfflineCache.h"
#include "EngineOfflineWork.h"
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

namespace {

// Lookups in the page cache the browsers serve offline pages from.
class SharedInternetCache final : public InternetCache
{
public:
    explicit SharedInternetCache(std::shared_ptr<InternetCache> cache) : m_cache(std::move(cache))
    {
    }
    int findEntry(const QString &address) const override { return m_cache->findEntry(address); }

private:
    std::shared_ptr<InternetCache> m_cache;
};

} // namespace

Services makeRealServices()
{
    Services services;
    services.writeFailures = std::make_unique<WriteFailures>();
    WriteFailures *failures = services.writeFailures.get();
    auto browsers = std::make_unique<EngineWebBrowserFactory>();
    browsers->offlineCache()->setWriteFailures(failures);
    auto internet = std::make_unique<FileInternetState>();
    internet->setWriteFailures(failures);
    // Every control follows the state shared by all instances.
    browsers->followOfflineState(*internet);
    services.cache = std::make_unique<SharedInternetCache>(browsers->offlineCache());
    services.browsers = std::move(browsers);
    services.dialogs = std::make_unique<QtDialogs>();
    services.system = std::make_unique<LinuxSystemFacts>();
    services.internet = std::move(internet);
    services.dialUp = std::make_unique<NmcliDialUp>();
    auto registry = std::make_unique<FileRegistry>();
    registry->setWriteFailures(failures);
    registry->createFile(FileRegistry::engineInstallValues());
    services.registry = std::move(registry);
    services.favorites = std::make_unique<DesktopShellFavorites>();
    return services;
}

} // namespace velmora::platform
