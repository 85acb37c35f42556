// Notifications pages show: the profile hands each one to the control whose
// page has the notification's origin, and that control raises it to its host.

#include "EngineWebBrowser.h"
#include "WebNotification.h"

#include <QWebEngineNotification>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <memory>

namespace velmora::platform {

namespace {

QString siteOf(const QUrl &url)
{
    QString site = url.host();
    if (url.port() != -1)
        site += QLatin1Char(':') + QString::number(url.port());
    return site.isEmpty() ? url.toString() : site;
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host() == b.host()
           && a.port(a.scheme() == QLatin1String("https") ? 443 : 80)
                  == b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

class EngineNotification final : public WebNotification
{
public:
    EngineNotification(std::unique_ptr<QWebEngineNotification> notification, QObject *parent)
        : WebNotification({siteOf(notification->origin()), notification->title(),
                           notification->message(), notification->tag()},
                          parent)
        , m_notification(std::move(notification))
    {
        // The page closed it, or a later one with its tag took its place.
        connect(m_notification.get(), &QWebEngineNotification::closed, this, [this] {
            if (!isClosed())
                markWithdrawn();
        });
    }

private:
    void pageShown() override { m_notification->show(); }
    void pageClicked() override { m_notification->click(); }
    void pageClosed() override { m_notification->close(); }

    std::unique_ptr<QWebEngineNotification> m_notification;
};

} // namespace

void EngineWebBrowserFactory::installNotifications()
{
    m_profile->setNotificationPresenter(
        [this](std::unique_ptr<QWebEngineNotification> notification) {
            m_browsers.removeAll(nullptr);
            for (const QPointer<EngineWebBrowser> &browser : std::as_const(m_browsers)) {
                QWebEnginePage *page = browser->page();
                if (!page || !sameOrigin(page->url(), notification->origin()))
                    continue;
                auto *shown = new EngineNotification(std::move(notification), browser.data());
                emit browser->NotificationShown(shown);
                // Nobody showed it: it is dropped unreported.
                if (!shown->isShown())
                    delete shown;
                return;
            }
        });
}

} // namespace velmora::platform
