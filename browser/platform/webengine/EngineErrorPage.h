#pragma once

#include <QString>
#include <QUrl>

namespace velmora::platform {

// The engine shows its own page for a navigation that failed, under the
// address that failed. The host knows error pages by the address form of the
// platform browser: "res://" + system directory + page + the address asked
// for, and strips that form from the address bar.
struct EngineErrorPage
{
    // The location of the error page shown for failed; offline: the page of
    // a navigation refused while offline.
    static QString location(const QUrl &failed, bool offline);
    // The address asked for when text is such a location, else text.
    static QString addressAskedFor(const QString &text);
};

} // namespace velmora::platform
