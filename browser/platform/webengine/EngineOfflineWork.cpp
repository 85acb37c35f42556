#include "EngineOfflineWork.h"

#include "CacheAddress.h"
#include "EngineOfflineCache.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

constexpr QLatin1StringView OfflinePrefix = "vcache-"_L1;
constexpr int SnapshotQuietMs = 2000;
// A page that settled while hidden is kept soon after it is shown; the
// short wait lets a tab only flipped past go by.
constexpr int ShownQuietMs = 250;
constexpr qint64 SnapshotLimitMs = 20000;
constexpr auto SnapshotWaitName = "velmoraSnapshotWait"_L1;
constexpr const char *SnapshotByProperty = "velmoraSnapshotBy";
constexpr const char *SnapshotWhenShownProperty = "velmoraSnapshotWhenShown";
constexpr const char *PostedProperty = "velmoraPosted";
constexpr int StorableAskMs = 50;
constexpr int StorableTries = 100;

bool isWeb(const QString &scheme)
{
    return scheme == "http"_L1 || scheme == "https"_L1;
}

bool isNetwork(const QString &scheme)
{
    return isWeb(scheme) || scheme == "ws"_L1 || scheme == "wss"_L1 || scheme == "ftp"_L1;
}

QByteArray mimeType(const QByteArray &contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed();
    return type.isEmpty() ? QByteArrayLiteral("application/octet-stream") : type;
}

} // namespace

class EngineOfflineWork::Interceptor final : public QWebEngineUrlRequestInterceptor
{
public:
    explicit Interceptor(EngineOfflineWork *work) : m_work(work) {}

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        const auto type = info.resourceType();
        const bool navigation = type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame
                                || type == QWebEngineUrlRequestInfo::ResourceTypeSubFrame;
        // An offline form is the program's own: a page may go to one, but
        // only a page shown from the cache may ask one for a part.
        if (isOfflineForm(url)) {
            if (!navigation && !isOfflineForm(info.initiator()))
                info.block(true);
            return;
        }
        if (!isNetwork(url.scheme()))
            return;
        // A control working offline by itself goes to its pages, or shows
        // one from the cache.
        const QUrl first = info.firstPartyUrl();
        const bool offline =
            m_work->m_offline
            || (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame && m_work->servesOffline(url))
            || (isOfflineForm(first) && m_work->servesOffline(realForm(first)));
        if (!offline)
            return;
        const QUrl from = info.initiator();
        if (isWeb(url.scheme())
            && (navigation
                || (isOfflineForm(from)
                    && m_work->m_cache->holdsPart(EngineOfflineCache::siteOf(realForm(from)),
                                                  url.toString())))) {
            info.redirect(offlineForm(url));
            return;
        }
        info.block(true);
    }

private:
    EngineOfflineWork *m_work;
};

class EngineOfflineWork::Handler final : public QWebEngineUrlSchemeHandler
{
public:
    explicit Handler(EngineOfflineWork *work) : m_work(work) {}

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        const QUrl real = realForm(job->requestUrl());
        const QUrl from = job->initiator();
        EngineOfflineCache &cache = *m_work->m_cache;
        const QString address = real.toString();
        std::optional<MhtmlArchive::Part> answer;
        if (isOfflineForm(from) && m_work->servesPartsTo(from)) {
            // A page shown from the cache: its own parts, or another page.
            answer = cache.findPart(EngineOfflineCache::siteOf(realForm(from)), address);
            if (!answer)
                answer = cache.findPage(address);
        } else if (m_work->servesOffline(real)) {
            // Asked for by the user, or by a page shown online: a kept page
            // or none, never a part of one.
            answer = cache.findPage(address);
        } else {
            // Online it stands for the real address, with all the engine's
            // rules for it.
            job->redirect(real);
            return;
        }
        auto *buffer = new QBuffer(job);
        QByteArray type = "text/html";
        if (answer) {
            buffer->setData(answer->body);
            type = mimeType(answer->contentType);
        } else {
            buffer->setData(m_work->offlinePage(real));
        }
        buffer->open(QIODevice::ReadOnly);
        job->reply(type, buffer);
    }

private:
    EngineOfflineWork *m_work;
};

EngineOfflineWork::EngineOfflineWork(std::shared_ptr<EngineOfflineCache> cache, QObject *parent)
    : QObject(parent)
    , m_cache(std::move(cache))
    , m_interceptor(std::make_unique<Interceptor>(this))
    , m_handler(std::make_unique<Handler>(this))
{
}

EngineOfflineWork::~EngineOfflineWork() = default;

QList<QByteArray> EngineOfflineWork::schemes()
{
    return {QByteArrayLiteral("vcache-http"), QByteArrayLiteral("vcache-https")};
}

void EngineOfflineWork::registerSchemes()
{
    for (const QByteArray &scheme : schemes()) {
        if (QWebEngineUrlScheme::schemeByName(scheme).name() == scheme)
            continue;
        QWebEngineUrlScheme offline(scheme);
        offline.setSyntax(QWebEngineUrlScheme::Syntax::HostAndPort);
        offline.setDefaultPort(scheme.endsWith("https") ? 443 : 80);
        // Not open to requests of other origins: a page of one site reads no
        // kept part of another, as it could not read the real address.
        offline.setFlags(QWebEngineUrlScheme::SecureScheme);
        QWebEngineUrlScheme::registerScheme(offline);
    }
}

bool EngineOfflineWork::isOfflineForm(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme.startsWith(OfflinePrefix) && isWeb(scheme.mid(OfflinePrefix.size()));
}

QUrl EngineOfflineWork::realForm(const QUrl &url)
{
    if (!isOfflineForm(url))
        return url;
    QUrl real = url;
    real.setScheme(url.scheme().mid(OfflinePrefix.size()));
    return real;
}

QUrl EngineOfflineWork::offlineForm(const QUrl &url)
{
    if (!isWeb(url.scheme()))
        return {};
    QUrl offline = url;
    offline.setScheme(OfflinePrefix + url.scheme());
    return offline;
}

void EngineOfflineWork::install(QWebEngineProfile *profile)
{
    profile->setUrlRequestInterceptor(m_interceptor.get());
    for (const QByteArray &scheme : schemes())
        profile->installUrlSchemeHandler(scheme, m_handler.get());
    connect(profile, &QWebEngineProfile::downloadRequested, m_cache.get(),
            &EngineOfflineCache::watchDownload);
}

void EngineOfflineWork::watchPage(QWebEnginePage *page)
{
    // A page is kept once it has settled (no request for a while, so what
    // its onload fetched is in); a new load calls it off.
    auto *wait = new QTimer(page);
    wait->setObjectName(SnapshotWaitName);
    wait->setSingleShot(true);
    wait->setInterval(SnapshotQuietMs);
    connect(page, &QWebEnginePage::loadStarted, wait, &QTimer::stop);
    connect(page, &QWebEnginePage::loadFinished, wait, [wait](bool ok) {
        if (!ok) {
            wait->stop();
            return;
        }
        wait->setProperty(SnapshotByProperty,
                          QDateTime::currentMSecsSinceEpoch() + SnapshotLimitMs);
        wait->start(SnapshotQuietMs);
    });
    // Keeping a page while it is hidden leaves the engine's compositor
    // working for good: a background tab is kept once it is shown.
    connect(wait, &QTimer::timeout, this, [this, page, wait] {
        if (m_offline || !isWeb(page->url().scheme())
            || wait->property(PostedProperty).toStringList().contains(cacheForm(page->url().toString())))
            return;
        if (!page->isVisible()) {
            wait->setProperty(SnapshotWhenShownProperty, true);
            return;
        }
        snapshotIfStorable(page);
    });
    connect(page, &QWebEnginePage::loadStarted, wait,
            [wait] { wait->setProperty(SnapshotWhenShownProperty, false); });
    connect(page, &QWebEnginePage::visibleChanged, wait, [wait](bool visible) {
        if (visible && wait->property(SnapshotWhenShownProperty).toBool()) {
            wait->setProperty(SnapshotWhenShownProperty, false);
            wait->start(ShownQuietMs);
        }
    });
}

void EngineOfflineWork::snapshotIfStorable(QWebEnginePage *page)
{
    // The engine's own cache holds the document unless its server said
    // "Cache-Control: no-store": asked of the cache alone, never the network.
    page->runJavaScript(u"(function () { var s = window.__velmoraStorable = { done: false };"
                        u"fetch(location.href, { cache: 'only-if-cached', mode: 'same-origin' })"
                        u".then(function (r) { s.ok = r.ok; s.done = true; },"
                        u" function () { s.ok = false; s.done = true; }); })()"_s,
                        QWebEngineScript::ApplicationWorld);
    askStorable(page, page->url(), StorableTries);
}

void EngineOfflineWork::askStorable(QWebEnginePage *page, const QUrl &url, int tries)
{
    QTimer::singleShot(StorableAskMs, page, [this, page, url, tries] {
        if (page->url() != url || tries <= 0)
            return;
        page->runJavaScript(
            u"window.__velmoraStorable && window.__velmoraStorable.done"
            u" ? window.__velmoraStorable.ok : null"_s,
            QWebEngineScript::ApplicationWorld,
            [this, guard = QPointer<QWebEnginePage>(page), url, tries](const QVariant &ok) {
                if (!guard || guard->url() != url || m_offline)
                    return;
                if (ok.typeId() != QMetaType::Bool)
                    askStorable(guard, url, tries - 1);
                else if (ok.toBool())
                    m_cache->snapshot(guard);
            });
    });
}

void EngineOfflineWork::pageRequested(QWebEnginePage *page, const QWebEngineUrlRequestInfo &info)
{
    auto *wait = page ? page->findChild<QTimer *>(SnapshotWaitName, Qt::FindDirectChildrenOnly)
                      : nullptr;
    // The answer to a form sent with POST is the user's alone: never kept.
    if (wait && info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        QStringList posted = wait->property(PostedProperty).toStringList();
        const QString form = cacheForm(info.requestUrl().toString());
        posted.removeAll(form);
        if (info.requestMethod() != "GET")
            posted.append(form);
        wait->setProperty(PostedProperty, posted);
    }
    // A page that never stops asking is saved all the same, only later.
    if (wait && wait->isActive()
        && QDateTime::currentMSecsSinceEpoch() < wait->property(SnapshotByProperty).toLongLong())
        wait->start();
}

void EngineOfflineWork::setOfflinePage(std::function<QString(const QString &)> page)
{
    m_offlinePage = std::move(page);
}

void EngineOfflineWork::setPinned(std::function<bool(const QUrl &, bool siteOnly)> pinned)
{
    m_pinned = std::move(pinned);
}

bool EngineOfflineWork::servesOffline(const QUrl &real) const
{
    return m_offline || (m_pinned && m_pinned(real, false));
}

bool EngineOfflineWork::servesPartsTo(const QUrl &initiator) const
{
    return isOfflineForm(initiator)
           && (m_offline || (m_pinned && m_pinned(realForm(initiator), true)));
}

QByteArray EngineOfflineWork::offlinePage(const QUrl &real) const
{
    if (m_offlinePage)
        return m_offlinePage(real.toString()).toUtf8();
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body></body></html>";
}

} // namespace velmora::platform
