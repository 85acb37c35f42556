#pragma once

#include "BrowsingData.h"

namespace velmora::services {

class SettingsStore;

// The connection the user chose for the engine, kept in the settings store
// (section "general": "proxy" = system, none, http or socks; "proxyHost",
// "proxyPort"). A damaged or unusable value reads as the system's.
platform::ProxyChoice readProxyChoice(const SettingsStore &store);
// False when the store did not take it.
bool saveProxyChoice(SettingsStore &store, const platform::ProxyChoice &choice);
// A proxy of the user's own needs a host (no spaces, no scheme) and a port.
bool isUsable(const platform::ProxyChoice &choice);

} // namespace velmora::services
