#pragma once

#include "Services.h"

namespace velmora::platform {

class FakeWebBrowserFactory;
class FakeDialogs;
class FakeSystemFacts;
class FakeInternetState;
class FakeDialUp;
class FakeInternetCache;
class FakeRegistry;
class FakeShellFavorites;

// Services made of fakes, with typed pointers to each fake; the pointers
// stay valid while the services (moved anywhere) live.
struct FakeServices
{
    Services services;
    FakeWebBrowserFactory *browsers = nullptr;
    FakeDialogs *dialogs = nullptr;
    FakeSystemFacts *system = nullptr;
    FakeInternetState *internet = nullptr;
    FakeDialUp *dialUp = nullptr;
    FakeInternetCache *cache = nullptr;
    FakeRegistry *registry = nullptr;
    FakeShellFavorites *favorites = nullptr;
};

FakeServices makeFakeServices();

} // namespace velmora::platform
