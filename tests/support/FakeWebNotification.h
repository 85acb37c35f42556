#pragma once

#include "WebNotification.h"

#include <QStringList>

namespace velmora::platform {

// A page's notification for window tests: records what the host reported.
class FakeWebNotification final : public WebNotification
{
public:
    using WebNotification::WebNotification;

    // What reached the page, in order: "show", "click", "close".
    QStringList reports;

    // The page takes it back.
    void withdraw() { markWithdrawn(); }

private:
    void pageShown() override { reports << QStringLiteral("show"); }
    void pageClicked() override { reports << QStringLiteral("click"); }
    void pageClosed() override { reports << QStringLiteral("close"); }
};

} // namespace velmora::platform
