#pragma once

#include <QByteArray>

namespace velmora::test {

// Engine tests never ask a name server: every host name but the local
// address fails at once, as an unknown host does. Call before the first
// engine page is made.
inline void keepHostLookupsLocal()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--host-resolver-rules"))
        return;
    flags += flags.isEmpty() ? "" : " ";
    flags += "\"--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1\"";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

} // namespace velmora::test
