#include "EngineErrorPage.h"

#include "LinuxSystemFacts.h"

namespace velmora::platform {

namespace {

// The system directory the window reads from the same system facts.
QString prefix()
{
    return QStringLiteral("res://") + LinuxSystemFacts().systemDirectory();
}

const QString dnsError = QStringLiteral("\\shdoclc.dll/dnserror.htm#");
const QString offlineCancelled = QStringLiteral("\\shdoclc.dll/offcancl.htm#");

} // namespace

QString EngineErrorPage::location(const QUrl &failed, bool offline)
{
    return prefix() + (offline ? offlineCancelled : dnsError) + failed.toString();
}

QString EngineErrorPage::addressAskedFor(const QString &text)
{
    const QString start = prefix();
    for (const QString &page : {dnsError, offlineCancelled}) {
        if (text.startsWith(start + page))
            return text.mid(start.size() + page.size());
    }
    return text;
}

} // namespace velmora::platform
