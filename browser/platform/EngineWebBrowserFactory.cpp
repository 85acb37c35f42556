#include "EngineWebBrowser.h"

#include "EngineDownloads.h"

#include <QDir>

#include <malloc.h>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

namespace velmora::platform {

EngineWebBrowserFactory::EngineWebBrowserFactory() = default;

EngineWebBrowserFactory::~EngineWebBrowserFactory()
{
    for (const QPointer<EngineWebBrowser> &browser : std::as_const(m_browsers)) {
        if (!browser)
            continue;
        browser->releasePage();
        browser->m_factory = nullptr;
    }
    delete m_profile;
}

WebBrowser *EngineWebBrowserFactory::create(QWidget *parent)
{
    m_browsers.removeAll(nullptr);
    auto *browser = new EngineWebBrowser(this, parent);
    m_browsers.append(browser);
    return browser;
}

void EngineWebBrowserFactory::pageReleased()
{
    if (!m_trim) {
        m_trim = std::make_unique<QTimer>();
        m_trim->setSingleShot(true);
        m_trim->setInterval(1000);
        QObject::connect(m_trim.get(), &QTimer::timeout, m_trim.get(), [] { malloc_trim(0); });
    }
    m_trim->start();
}

QString EngineWebBrowserFactory::storagePath()
{
    QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + "/.local/share"_L1;
    return QDir(dataHome).filePath(u"olk_Browser"_s);
}

QWebEngineProfile *EngineWebBrowserFactory::profile()
{
    if (!m_profile) {
        const QString root = storagePath();
        QDir().mkpath(root);
        m_profile = new QWebEngineProfile(u"olk_Browser"_s);
        m_profile->setPersistentStoragePath(root);
        m_profile->setCachePath(QDir(root).filePath(u"cache"_s));
        m_profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
        applyContentSettingsToProfile();
        routeDownloads(m_profile);
    }
    return m_profile;
}

} // namespace velmora::platform
