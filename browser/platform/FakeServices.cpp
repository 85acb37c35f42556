#include "FakeServices.h"

#include "FakeDialogs.h"
#include "FakeInternetState.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"

namespace velmora::platform {

FakeServices makeFakeServices()
{
    FakeServices fakes;
    auto browsers = std::make_unique<FakeWebBrowserFactory>();
    auto dialogs = std::make_unique<FakeDialogs>();
    auto system = std::make_unique<FakeSystemFacts>();
    auto internet = std::make_unique<FakeInternetState>();
    fakes.browsers = browsers.get();
    fakes.dialogs = dialogs.get();
    fakes.system = system.get();
    fakes.internet = internet.get();
    fakes.services.browsers = std::move(browsers);
    fakes.services.dialogs = std::move(dialogs);
    fakes.services.system = std::move(system);
    fakes.services.internet = std::move(internet);
    return fakes;
}

} // namespace velmora::platform
