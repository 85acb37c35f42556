#pragma once

#include <QString>

namespace velmora::platform {

// How the engine reaches the network.
struct ProxyChoice
{
    enum class Kind { System, None, Http, Socks };
    Kind kind = Kind::System;
    // Only for Http and Socks.
    QString host;
    int port = 0;
    bool operator==(const ProxyChoice &) const = default;
};

// What browsing left behind, to delete.
struct BrowsingDataChoice
{
    bool cache = false; // the engine's HTTP cache
    bool cookies = false;
    bool history = false; // the links the engine shows as visited
    bool offlinePages = false; // the pages kept for offline work
    bool operator==(const BrowsingDataChoice &) const = default;
};

} // namespace velmora::platform
