// The language pages are told, the connection the engine starts with, and
// deleting what browsing left behind.

#include "EngineOfflineCache.h"
#include "EngineWebBrowser.h"

#include <QLocale>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

namespace velmora::platform {

QString EngineWebBrowserFactory::acceptLanguage(const QString &locale)
{
    const QLocale shown(locale);
    const QString language = shown.name().section(u'_', 0, 0);
    if (language.isEmpty() || language == "C"_L1)
        return {};
    QString full = shown.name();
    full.replace(u'_', u'-');
    QStringList parts{full};
    if (full != language)
        parts << language + ";q=0.9"_L1;
    if (language != "en"_L1)
        parts << u"en;q=0.8"_s;
    return parts.join(u',');
}

void EngineWebBrowserFactory::setLanguage(const QString &locale)
{
    m_acceptLanguage = acceptLanguage(locale);
    if (m_profile && !m_acceptLanguage.isEmpty())
        m_profile->setHttpAcceptLanguage(m_acceptLanguage);
}

void EngineWebBrowserFactory::setProxy(const ProxyChoice &proxy)
{
    // The engine copies the proxy when it starts and follows no later change.
    if (m_profile)
        return;
    switch (proxy.kind) {
    case ProxyChoice::Kind::System:
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return;
    case ProxyChoice::Kind::None:
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        return;
    case ProxyChoice::Kind::Http:
    case ProxyChoice::Kind::Socks:
        if (proxy.host.isEmpty() || proxy.port <= 0 || proxy.port > 65535)
            return;
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(proxy.kind == ProxyChoice::Kind::Http ? QNetworkProxy::HttpProxy
                                                                : QNetworkProxy::Socks5Proxy,
                          proxy.host, quint16(proxy.port)));
        return;
    }
}

bool EngineWebBrowserFactory::clearBrowsingData(const BrowsingDataChoice &choice)
{
    bool all = true;
    if (choice.cache || choice.cookies || choice.history) {
        QWebEngineProfile *engine = profile();
        if (choice.cache)
            engine->clearHttpCache();
        if (choice.cookies)
            engine->cookieStore()->deleteAllCookies();
        if (choice.history)
            engine->clearAllVisitedLinks();
    }
    if (choice.offlinePages)
        all = m_offlineCache->clear();
    return all;
}

} // namespace velmora::platform
