#include "CacheAddress.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace velmora::platform {

QString cacheForm(const QString &address)
{
    QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return {};
    url.setFragment(QString());
    const QString scheme = url.scheme().toLower();
    if ((scheme == "http"_L1 && url.port() == 80) || (scheme == "https"_L1 && url.port() == 443))
        url.setPort(-1);
    if (!url.host().isEmpty() && url.path().isEmpty())
        url.setPath(u"/"_s);
    url.setHost(url.host().toLower());
    url.setScheme(scheme);
    return url.toString(QUrl::FullyEncoded);
}

} // namespace velmora::platform
