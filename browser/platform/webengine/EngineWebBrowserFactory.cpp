#include "EngineWebBrowser.h"
#include "EngineBlankWindows.h"
#include "WholeFile.h"

#include "CacheAddress.h"
#include "EngineOfflineCache.h"
#include "EngineOfflineWork.h"
#include "FileInternetState.h"
#include "EngineDownloads.h"
#include "EngineOcclusion.h"

#include <QDir>

#include <malloc.h>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace velmora::platform {

EngineWebBrowserFactory::EngineWebBrowserFactory(std::shared_ptr<EngineOfflineCache> cache)
    : m_offlineCache(cache ? std::move(cache) : std::make_shared<EngineOfflineCache>())
    , m_offlineWork(std::make_unique<EngineOfflineWork>(m_offlineCache))
    , m_blankWindows(std::make_unique<EngineBlankWindows>())
{
    // A control working offline by itself keeps the pages it shows or goes
    // to off the network.
    m_offlineWork->setPinned([this](const QUrl &url, bool siteOnly) {
        const QString wanted = siteOnly ? EngineOfflineCache::siteOf(url) : cacheForm(url.toString());
        for (const QPointer<EngineWebBrowser> &browser : std::as_const(m_browsers)) {
            QWebEnginePage *page = browser ? browser->page() : nullptr;
            if (!page || !browser->m_offline)
                continue;
            if (siteOnly) {
                if (EngineOfflineWork::isOfflineForm(page->url())
                    && EngineOfflineCache::siteOf(EngineOfflineWork::realForm(page->url()))
                           == wanted)
                    return true;
                continue;
            }
            for (const QUrl &shown : {page->url(), page->requestedUrl()}) {
                if (cacheForm(EngineOfflineWork::realForm(shown).toString()) == wanted)
                    return true;
            }
        }
        return false;
    });
}

void EngineWebBrowserFactory::followOfflineState(FileInternetState &state)
{
    setOffline(state.isOffline());
    QObject::connect(&state, &FileInternetState::offlineChanged, m_offlineWork.get(),
                     [this](bool offline) { setOffline(offline); });
}

void EngineWebBrowserFactory::setOffline(bool offline)
{
    m_offlineWork->setOffline(offline);
}

bool EngineWebBrowserFactory::isOffline() const
{
    return m_offlineWork->isOffline();
}

void EngineWebBrowserFactory::setOfflinePage(std::function<QString(const QString &)> page)
{
    m_offlineWork->setOfflinePage(std::move(page));
}

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

void EngineWebBrowserFactory::scheduleOcclusionCheck()
{
    if (!m_occlusion) {
        m_occlusion = std::make_unique<QTimer>();
        m_occlusion->setSingleShot(true);
        m_occlusion->setInterval(0);
        QObject::connect(m_occlusion.get(), &QTimer::timeout, m_occlusion.get(), [this] {
            m_browsers.removeAll(nullptr);
            QList<QWidget *> containers;
            for (const QPointer<EngineWebBrowser> &browser : std::as_const(m_browsers))
                containers.append(browser->m_view ? browser->m_container.data() : nullptr);
            const QList<bool> covered = coveredWidgets(containers);
            for (qsizetype i = 0; i < m_browsers.size(); ++i) {
                QWebEngineView *view = m_browsers.at(i)->m_view;
                if (!view)
                    continue;
                bool hidden = covered.at(i) || m_browsers.at(i)->m_blankGuarded;
                if (!hidden && view->isHidden()
                    && !windowOnScreen(view, [this] { scheduleOcclusionCheck(); }))
                    hidden = true;
                if (view->isHidden() != hidden)
                    view->setVisible(!hidden);
            }
        });
    }
    if (!m_occlusion->isActive())
        m_occlusion->start();
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
        EngineOfflineWork::registerSchemes();
        EngineBlankWindows::registerScheme();
        const QString root = storagePath();
        makeFolder(root);
        m_profile = new QWebEngineProfile(u"olk_Browser"_s);
        m_profile->setPersistentStoragePath(root);
        m_profile->setCachePath(QDir(root).filePath(u"cache"_s));
        m_profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
        if (!m_acceptLanguage.isEmpty())
            m_profile->setHttpAcceptLanguage(m_acceptLanguage);
        applyContentSettingsToProfile();
        m_offlineWork->install(m_profile);
        routeDownloads(m_profile);
        installNotifications();
        m_blankWindows->install(m_profile);
    }
    return m_profile;
}

} // namespace velmora::platform
