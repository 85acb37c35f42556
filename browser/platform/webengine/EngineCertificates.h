#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

class QWebEngineCertificateError;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineProfile;

namespace velmora::platform {

class EngineWebBrowser;

// The sites (scheme, host and port) whose certificate the user chose to
// trust for this run. Kept with the profile, so every control shares them.
class EngineTrustedSites final : public QObject
{
    Q_OBJECT
public:
    static EngineTrustedSites &of(QWebEngineProfile *profile);

    bool contains(const QUrl &url) const;
    void add(const QUrl &url);
    static QString siteOf(const QUrl &url);

private:
    using QObject::QObject;
    QSet<QString> m_sites;
};

// Certificate errors of one page: a site the user trusts goes ahead; any
// other is refused, and when the page itself failed so, the control shows
// a page of its own that names the address and the error and lets the user
// go on. Sub-resources with a bad certificate stay blocked.
class EngineCertificateGuard final : public QObject
{
    Q_OBJECT
public:
    EngineCertificateGuard(EngineWebBrowser *owner, QWebEnginePage *page);

    // True when the message was the own page's "go on".
    bool takeConsoleMessage(const QString &message);

private:
    void onCertificateError(const QWebEngineCertificateError &error);
    void onLoadingChanged(const QWebEngineLoadingInfo &info);

    EngineWebBrowser *m_owner;
    QWebEnginePage *m_page;
    QString m_token;
    QUrl m_shown; // the address our page stands for
    // The last certificate refused during the load (after a redirect, not
    // the address asked for); only one the engine lets pass is offered.
    QUrl m_refused;
    bool m_refusedOverridable = false;
    QUrl m_trustOnGoOn;
};

} // namespace velmora::platform
