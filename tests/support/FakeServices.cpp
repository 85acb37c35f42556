#include "FakeServices.h"

#include "FakeDialUp.h"
#include "FakeDialogs.h"
#include "FakeInternetCache.h"
#include "FakeInternetState.h"
#include "RegistryFake.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "ShellFavoritesFake.h"

namespace velmora::platform {

FakeServices makeFakeServices()
{
    FakeServices fakes;
    auto browsers = std::make_unique<FakeWebBrowserFactory>();
    auto dialogs = std::make_unique<FakeDialogs>();
    auto system = std::make_unique<FakeSystemFacts>();
    auto internet = std::make_unique<FakeInternetState>();
    auto registry = std::make_unique<FakeRegistry>();
    fakes.browsers = browsers.get();
    fakes.dialogs = dialogs.get();
    fakes.system = system.get();
    fakes.internet = internet.get();
    fakes.registry = registry.get();
    fakes.services.browsers = std::move(browsers);
    fakes.services.dialogs = std::move(dialogs);
    fakes.services.system = std::move(system);
    fakes.services.internet = std::move(internet);
    fakes.services.registry = std::move(registry);
    auto favorites = std::make_unique<FakeShellFavorites>();
    fakes.favorites = favorites.get();
    fakes.services.favorites = std::move(favorites);
    auto dialUp = std::make_unique<FakeDialUp>();
    fakes.dialUp = dialUp.get();
    fakes.services.dialUp = std::move(dialUp);
    auto cache = std::make_unique<FakeInternetCache>();
    fakes.cache = cache.get();
    fakes.services.cache = std::move(cache);
    return fakes;
}

} // namespace velmora::platform
