#pragma once

#include "Services.h"

namespace velmora::platform {

class FakeWebBrowserFactory;
class FakeDialogs;
class FakeSystemFacts;
class FakeInternetState;

// Services made of fakes, with typed pointers to each fake; the pointers
// stay valid while the services (moved anywhere) live.
struct FakeServices
{
    Services services;
    FakeWebBrowserFactory *browsers = nullptr;
    FakeDialogs *dialogs = nullptr;
    FakeSystemFacts *system = nullptr;
    FakeInternetState *internet = nullptr;
};

FakeServices makeFakeServices();

} // namespace velmora::platform
