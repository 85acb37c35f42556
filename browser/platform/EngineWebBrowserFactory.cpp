#include "EngineWebBrowser.h"

#include "EngineOcclusion.h"

#include <QDir>

#include <malloc.h>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>

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
                if (view && view->isHidden() != covered.at(i))
                    view->setVisible(!covered.at(i));
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
        const QString root = storagePath();
        QDir().mkpath(root);
        m_profile = new QWebEngineProfile(u"olk_Browser"_s);
        m_profile->setPersistentStoragePath(root);
        m_profile->setCachePath(QDir(root).filePath(u"cache"_s));
        m_profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
        applyContentSettingsToProfile();
    }
    return m_profile;
}

} // namespace velmora::platform
