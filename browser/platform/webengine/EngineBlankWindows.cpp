#include "EngineBlankWindows.h"

#include <QBuffer>
#include <QUuid>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

using namespace Qt::StringLiterals;

namespace velmora::platform {

EngineBlankWindows::EngineBlankWindows(QObject *parent) : QWebEngineUrlSchemeHandler(parent) {}

QByteArray EngineBlankWindows::scheme()
{
    return QByteArrayLiteral("velmora-blank");
}

void EngineBlankWindows::registerScheme()
{
    if (QWebEngineUrlScheme::schemeByName(scheme()).name() == scheme())
        return;
    QWebEngineUrlScheme blank(scheme());
    blank.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Not CORS-enabled: no page reads what it answers. The opener's content
    // policy must not keep the frame out, or the window cannot be written.
    blank.setFlags(QWebEngineUrlScheme::SecureScheme
                   | QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(blank);
}

void EngineBlankWindows::install(QWebEngineProfile *profile)
{
    if (!profile->urlSchemeHandler(scheme()))
        profile->installUrlSchemeHandler(scheme(), this);
}

QString EngineBlankWindows::issue()
{
    const QString token = QUuid::createUuid().toString(QUuid::Id128);
    m_tokens.insert(token);
    return token;
}

void EngineBlankWindows::revoke(const QString &token)
{
    m_tokens.remove(token);
}

QString EngineBlankWindows::primeScript(const QString &token)
{
    // document.open() by the opener may wipe the frame: it is added again.
    return uR"((function () {
    if (window.__velmoraBlankDone) return true;
    var f = window.__velmoraBlankFrame;
    if (f && f.isConnected) return false;
    f = document.createElement('iframe');
    f.style.display = 'none';
    f.src = '%1:%2';
    f.addEventListener('load', function () { f.remove(); window.__velmoraBlankDone = true; });
    (document.body || document.documentElement).appendChild(f);
    window.__velmoraBlankFrame = f;
    return false;
})())"_s.arg(QString::fromLatin1(scheme()), token);
}

bool EngineBlankWindows::leavesEmpty(const QUrl &requested)
{
    // The engine may report window.open('') as about:blank#blocked.
    return requested.isEmpty()
           || (requested.scheme() == "about"_L1 && requested.path() == "blank"_L1);
}

void EngineBlankWindows::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QString token = job->requestUrl().path();
    if (job->requestMethod() != "GET" || !m_tokens.contains(token)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    auto *body = new QBuffer(job);
    body->setData(QByteArrayLiteral("<!doctype html><title></title>"));
    job->reply(QByteArrayLiteral("text/html"), body);
}

} // namespace velmora::platform
