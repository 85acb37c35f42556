#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

#include <functional>
#include <memory>

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineUrlRequestInfo;

namespace velmora::platform {

class EngineOfflineCache;

// Offline work of every page of one profile. While offline no request
// reaches the network: a page's navigation is turned to its offline form
// ("vcache-http://..."), which the handler answers from the page cache, or
// with a page telling that the address is not held; parts of a held page
// are turned the same way; anything else is blocked. A part is served only
// to a kept page of its own site shown from the cache, while offline; any
// other page gets kept pages at most, each in its own origin. Online, an
// offline form leads back to the real address, so a tab shown from the
// cache comes alive with a refresh.
class EngineOfflineWork final : public QObject
{
    Q_OBJECT
public:
    explicit EngineOfflineWork(std::shared_ptr<EngineOfflineCache> cache,
                               QObject *parent = nullptr);
    ~EngineOfflineWork() override;

    // The engine must know the schemes before it starts.
    static QList<QByteArray> schemes();
    static void registerSchemes();
    // The real address of an offline form; other addresses unchanged.
    static QUrl realForm(const QUrl &url);
    // The offline form of a web address; an empty address for others.
    static QUrl offlineForm(const QUrl &url);
    static bool isOfflineForm(const QUrl &url);

    void install(QWebEngineProfile *profile);
    // Snapshots of the page are taken while online.
    void watchPage(QWebEnginePage *page);
    // The page asked for something: its snapshot waits on; the answer to a
    // POST is not kept.
    void pageRequested(QWebEnginePage *page, const QWebEngineUrlRequestInfo &info);

    bool isOffline() const { return m_offline; }
    void setOffline(bool offline) { m_offline = offline; }

    // The page shown for an address that is not held (HTML).
    void setOfflinePage(std::function<QString(const QString &address)> page);
    // True when a control that works offline by itself shows or is going to
    // the address (siteOnly: shows a page of its site from the cache): its
    // requests are served as if the whole profile were offline (the
    // per-control switch of the hidden "all tabs" item).
    void setPinned(std::function<bool(const QUrl &, bool siteOnly)> pinned);

    EngineOfflineCache &cache() const { return *m_cache; }

private:
    class Interceptor;
    class Handler;
    // Keeps the page unless it was sent not to be stored.
    void snapshotIfStorable(QWebEnginePage *page);
    void askStorable(QWebEnginePage *page, const QUrl &url, int tries);
    bool servesOffline(const QUrl &real) const;
    // A page shown from the cache (its origin, an offline form) gets its parts.
    bool servesPartsTo(const QUrl &initiator) const;
    QByteArray offlinePage(const QUrl &real) const;

    std::shared_ptr<EngineOfflineCache> m_cache;
    std::unique_ptr<Interceptor> m_interceptor;
    std::unique_ptr<Handler> m_handler;
    std::function<QString(const QString &)> m_offlinePage;
    std::function<bool(const QUrl &, bool)> m_pinned;
    bool m_offline = false;
};

} // namespace velmora::platform
