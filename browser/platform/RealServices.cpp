#include "EngineWebBrowser.h"
#include "FileInternetState.h"
#include "LinuxSystemFacts.h"
#include "QtDialogs.h"

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
