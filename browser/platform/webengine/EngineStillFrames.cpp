#include "EngineStillFrames.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

// A jar the engine's cookie store keeps filled, so that pictures behind a
// login still come.
class SharedCookieJar final : public QNetworkCookieJar
{
public:
    explicit SharedCookieJar(QWebEngineCookieStore *store, QObject *parent)
        : QNetworkCookieJar(parent)
    {
        connect(store, &QWebEngineCookieStore::cookieAdded, this,
                [this](const QNetworkCookie &cookie) { insertCookie(cookie); });
        connect(store, &QWebEngineCookieStore::cookieRemoved, this,
                [this](const QNetworkCookie &cookie) { deleteCookie(cookie); });
        store->loadAllCookies();
    }
};

bool isPng(const QByteArray &bytes)
{
    return bytes.startsWith("\x89PNG\r\n\x1a\n");
}

} // namespace

EngineStillFrames::EngineStillFrames(QWebEngineProfile *profile)
    : QWebEngineUrlSchemeHandler(profile)
    , m_profile(profile)
    , m_network(new QNetworkAccessManager(this))
{
    m_network->setCookieJar(new SharedCookieJar(profile->cookieStore(), m_network));
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

EngineStillFrames::~EngineStillFrames() = default;

QByteArray EngineStillFrames::scheme()
{
    return QByteArrayLiteral("velmora-still");
}

void EngineStillFrames::registerScheme()
{
    QWebEngineUrlScheme still(scheme());
    still.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // It stands for the picture's own address: allowed wherever that was.
    still.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled
                   | QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(still);
}

bool EngineStillFrames::isRegistered()
{
    return QWebEngineUrlScheme::schemeByName(scheme()).name() == scheme();
}

QUrl EngineStillFrames::stillUrl(const QUrl &picture)
{
    return QUrl(QString::fromLatin1(scheme()) + u':'
                + QString::fromLatin1(QUrl::toPercentEncoding(picture.toString(QUrl::FullyEncoded))));
}

QUrl EngineStillFrames::pictureUrl(const QUrl &still)
{
    if (still.scheme().toLatin1() != scheme())
        return {};
    const QString path = still.toString(QUrl::RemoveScheme | QUrl::FullyEncoded);
    return QUrl(QUrl::fromPercentEncoding(path.toLatin1()), QUrl::StrictMode);
}

QByteArray EngineStillFrames::stillFrame(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Qt reads an animated PNG as its default picture, never as frames.
    const bool moving = reader.supportsAnimation() || reader.imageCount() > 1
                        || (isPng(bytes) && bytes.contains("acTL"));
    if (!moving)
        return {};
    const QImage first = reader.read();
    if (first.isNull())
        return {};
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (!first.save(&out, "PNG"))
        return {};
    return png;
}

void EngineStillFrames::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl picture = pictureUrl(job->requestUrl());
    if (!picture.isValid()
        || (picture.scheme() != "http"_L1 && picture.scheme() != "https"_L1)) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    QNetworkRequest request(picture);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_profile->httpUserAgent());
    if (job->initiator().isValid())
        request.setRawHeader("Referer", job->initiator().toString(QUrl::FullyEncoded).toLatin1()
                                            + '/');
    QNetworkReply *reply = m_network->get(request);
    QPointer<QWebEngineUrlRequestJob> waiting(job);
    // A page that goes away takes its request with it.
    connect(job, &QObject::destroyed, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, this, [reply, waiting] {
        reply->deleteLater();
        if (!waiting)
            return;
        if (reply->error() != QNetworkReply::NoError) {
            waiting->fail(QWebEngineUrlRequestJob::RequestFailed);
            return;
        }
        const QByteArray bytes = reply->readAll();
        const QByteArray still = stillFrame(bytes);
        QByteArray type = "image/png";
        if (still.isEmpty()) {
            type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toLatin1();
            type = type.left(type.indexOf(';')).trimmed();
            if (type.isEmpty())
                type = "application/octet-stream";
        }
        auto *body = new QBuffer(waiting.data());
        body->setData(still.isEmpty() ? bytes : still);
        body->open(QIODevice::ReadOnly);
        waiting->reply(type, body);
    });
}

} // namespace velmora::platform
