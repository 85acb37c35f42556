#include "EngineCertificates.h"

#include "EngineWebBrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>
#include <QWebEngineCertificateError>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

WebBrowser::CertificateProblem problemOf(int code)
{
    switch (code) {
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return WebBrowser::CertificateProblem::Untrusted;
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
        return WebBrowser::CertificateProblem::WrongName;
    case QWebEngineCertificateError::CertificateDateInvalid:
        return WebBrowser::CertificateProblem::Expired;
    case QWebEngineCertificateError::CertificateRevoked:
        return WebBrowser::CertificateProblem::Revoked;
    case QWebEngineCertificateError::CertificateInvalid:
    case QWebEngineCertificateError::CertificateContainsErrors:
        return WebBrowser::CertificateProblem::Invalid;
    default:
        return WebBrowser::CertificateProblem::Other;
    }
}

QString scriptString(const QString &text)
{
    const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
}

} // namespace

EngineTrustedSites &EngineTrustedSites::of(QWebEngineProfile *profile)
{
    auto *sites = profile->findChild<EngineTrustedSites *>(QString(), Qt::FindDirectChildrenOnly);
    if (!sites)
        sites = new EngineTrustedSites(profile);
    return *sites;
}

QString EngineTrustedSites::siteOf(const QUrl &url)
{
    return url.scheme() + "://"_L1 + url.host() + u':' + QString::number(url.port(443));
}

bool EngineTrustedSites::contains(const QUrl &url) const
{
    return m_sites.contains(siteOf(url));
}

void EngineTrustedSites::add(const QUrl &url)
{
    m_sites.insert(siteOf(url));
}

EngineCertificateGuard::EngineCertificateGuard(EngineWebBrowser *owner, QWebEnginePage *page)
    : QObject(page)
    , m_owner(owner)
    , m_page(page)
    , m_token(u"velmora-go-on:"_s + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    connect(page, &QWebEnginePage::certificateError, this,
            &EngineCertificateGuard::onCertificateError);
    connect(page, &QWebEnginePage::loadingChanged, this,
            &EngineCertificateGuard::onLoadingChanged);
}

void EngineCertificateGuard::onCertificateError(const QWebEngineCertificateError &error)
{
    QWebEngineCertificateError answer = error;
    if (answer.isOverridable() && EngineTrustedSites::of(m_page->profile()).contains(error.url())) {
        answer.acceptCertificate();
        return;
    }
    m_refused = error.url();
    m_refusedOverridable = error.isOverridable();
    answer.rejectCertificate();
}

void EngineCertificateGuard::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_shown.clear();
        m_refused.clear();
        return;
    }
    if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus
        || info.errorDomain() != QWebEngineLoadingInfo::CertificateErrorDomain)
        return;
    WebBrowser::CertificatePage texts;
    emit m_owner->CertificateError(info.url().toString(), problemOf(info.errorCode()), &texts);
    if (texts.heading.isEmpty() && texts.text.isEmpty())
        return;
    // A site the engine never lets pass (pinned or strict) gets no way on.
    const bool mayGoOn = !m_refused.isEmpty() && m_refusedOverridable;
    m_shown = mayGoOn ? info.url() : QUrl();
    m_trustOnGoOn = m_refused;
    const QString address = info.url().toDisplayString().toHtmlEscaped();
    QString html = u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>"_s
                   + texts.title.toHtmlEscaped()
                   + u"</title><style>body{font-family:sans-serif;margin:3em;max-width:40em}"
                     "h1{font-size:1.4em}</style></head><body><h1>"_s
                   + texts.heading.toHtmlEscaped() + u"</h1><p id=\"text\">"_s
                   + texts.text.toHtmlEscaped().replace(u"%1"_s, u"<b>"_s + address + u"</b>"_s)
                   + u"</p>"_s;
    if (mayGoOn) {
        html += u"<p><a id=\"goOn\" href=\"#\" onclick=\"console.log("_s
                + scriptString(m_token).toHtmlEscaped() + u");return false;\">"_s
                + texts.goOn.toHtmlEscaped() + u"</a></p>"_s;
    }
    html += u"</body></html>"_s;
    // The engine has put its own error page at the address; ours replaces its
    // content, so the address, the history and Refresh stay the site's.
    // Only into the engine's error page: not into a page navigated to since.
    m_page->runJavaScript(u"if (location.protocol === 'chrome-error:') {"
                          "document.open();document.write("_s
                              + scriptString(html) + u");document.close();}"_s,
                          QWebEngineScript::ApplicationWorld);
}

bool EngineCertificateGuard::takeConsoleMessage(const QString &message)
{
    if (message != m_token)
        return false;
    if (m_shown.isEmpty() || m_page->url() != m_shown)
        return true;
    EngineTrustedSites::of(m_page->profile()).add(m_trustOnGoOn);
    m_shown.clear();
    m_page->triggerAction(QWebEnginePage::Reload);
    return true;
}

} // namespace velmora::platform
