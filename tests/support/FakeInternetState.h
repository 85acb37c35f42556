#pragma once

#include "Services.h"

#include <QList>

namespace velmora::platform {

// An offline state in memory that counts how it is used.
class FakeInternetState final : public InternetState
{
public:
    bool isOffline() const override
    {
        ++isOfflineCalls;
        return offline;
    }
    void setOffline(bool on) override
    {
        setOfflineCalls.append(on);
        offline = on;
    }

    bool offline = false;
    mutable int isOfflineCalls = 0;
    QList<bool> setOfflineCalls;
};

} // namespace velmora::platform
