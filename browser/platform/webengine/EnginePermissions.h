#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

class QAuthenticator;
class QWebEngineFullScreenRequest;
class QWebEnginePage;

namespace velmora::platform {

class EngineWebBrowser;

// What a page asks of the user, handed to the control's host: permissions,
// full screen and logins. The page itself never shows a dialog.
class EnginePermissions final : public QObject
{
    Q_OBJECT
public:
    EnginePermissions(EngineWebBrowser *owner, QWebEnginePage *page);

    // A frame of the page (the top one too) asks for an address: its site
    // may ask for a login.
    static void frameRequested(QWebEnginePage *page, const QUrl &url);

private:
    void onFeature(const QUrl &origin, int feature);
    void onFullScreen(QWebEngineFullScreenRequest request);
    void onLogin(const QUrl &url, QAuthenticator *authenticator);
    void onProxyLogin(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost);
    void askLogin(const QString &site, bool proxy, QAuthenticator *authenticator);

    static QString siteOf(const QUrl &url);

    EngineWebBrowser *m_owner;
    QWebEnginePage *m_page;
    QStringList m_frameSites;
};

} // namespace velmora::platform
