#include "EnginePermissions.h"

#include "EngineWebBrowser.h"

#include <QAuthenticator>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>

#include <optional>

namespace velmora::platform {

namespace {

std::optional<WebBrowser::Permission> permissionOf(int feature)
{
    using P = WebBrowser::Permission;
    switch (feature) {
    case QWebEnginePage::Geolocation: return P::Geolocation;
    case QWebEnginePage::Notifications: return P::Notifications;
    case QWebEnginePage::MediaVideoCapture: return P::Camera;
    case QWebEnginePage::MediaAudioCapture: return P::Microphone;
    case QWebEnginePage::MediaAudioVideoCapture: return P::CameraAndMicrophone;
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture: return P::ScreenCapture;
    case QWebEnginePage::MouseLock: return P::PointerLock;
    default: return std::nullopt;
    }
}

QString siteName(const QUrl &url)
{
    // The host as the address bar shows it, with a port that is not the default.
    QString site = url.host();
    if (url.port() != -1)
        site += QLatin1Char(':') + QString::number(url.port());
    return site.isEmpty() ? url.toString() : site;
}

} // namespace

EnginePermissions::EnginePermissions(EngineWebBrowser *owner, QWebEnginePage *page)
    : QObject(page)
    , m_owner(owner)
    , m_page(page)
{
    page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                onFeature(origin, feature);
            });
    connect(page, &QWebEnginePage::fullScreenRequested, this, &EnginePermissions::onFullScreen);
    connect(page, &QWebEnginePage::authenticationRequired, this, &EnginePermissions::onLogin);
    connect(page, &QWebEnginePage::proxyAuthenticationRequired, this,
            &EnginePermissions::onProxyLogin);
}

void EnginePermissions::onFeature(const QUrl &origin, int feature)
{
    const auto kind = permissionOf(feature);
    bool granted = false;
    if (kind)
        emit m_owner->PermissionRequested(siteName(origin), *kind, &granted);
    m_page->setFeaturePermission(origin, QWebEnginePage::Feature(feature),
                                 granted ? QWebEnginePage::PermissionGrantedByUser
                                         : QWebEnginePage::PermissionDeniedByUser);
}

void EnginePermissions::onFullScreen(QWebEngineFullScreenRequest request)
{
    bool accepted = !request.toggleOn();
    emit m_owner->FullScreenRequested(request.toggleOn(), &accepted);
    if (accepted || !request.toggleOn())
        request.accept();
    else
        request.reject();
}

QString EnginePermissions::siteOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme + QLatin1String("://") + url.host().toLower() + QLatin1Char(':')
           + QString::number(url.port(scheme == QLatin1String("https") ? 443 : 80));
}

void EnginePermissions::frameRequested(QWebEnginePage *page, const QUrl &url)
{
    if (auto *self = page ? page->findChild<EnginePermissions *>() : nullptr) {
        self->m_frameSites.removeAll(siteOf(url));
        self->m_frameSites.append(siteOf(url));
        // The sites of the frames a page went to lately are enough.
        while (self->m_frameSites.size() > 32)
            self->m_frameSites.removeFirst();
    }
}

void EnginePermissions::onLogin(const QUrl &url, QAuthenticator *authenticator)
{
    // Only the page's own site, or a site one of its frames goes to, may ask
    // the user: a picture or script of another site asking for a login
    // would put that site's name on a dialog the page caused.
    const QString site = siteOf(url);
    if (site != siteOf(m_page->url()) && site != siteOf(m_page->requestedUrl())
        && !m_frameSites.contains(site)) {
        *authenticator = QAuthenticator();
        return;
    }
    askLogin(siteName(url), false, authenticator);
}

void EnginePermissions::onProxyLogin(const QUrl &, QAuthenticator *authenticator,
                                     const QString &proxyHost)
{
    askLogin(proxyHost, true, authenticator);
}

void EnginePermissions::askLogin(const QString &site, bool proxy, QAuthenticator *authenticator)
{
    QString user = authenticator->user();
    QString password;
    bool accepted = false;
    emit m_owner->AuthenticationRequired(site, authenticator->realm(), proxy, &user, &password,
                                         &accepted);
    if (accepted) {
        authenticator->setUser(user);
        authenticator->setPassword(password);
    } else {
        // A null authenticator makes the engine show the server's own page.
        *authenticator = QAuthenticator();
    }
}

} // namespace velmora::platform
