#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace velmora::platform {

class EngineWebBrowserFactory;

// The content switches of one page that the engine's settings cannot carry
// out: with pictures off no picture request leaves, not even for the cache.
// Another interceptor of the page (next) is asked first, and what it blocked
// stays blocked.
class EngineContentInterceptor final : public QWebEngineUrlRequestInterceptor
{
public:
    EngineContentInterceptor(const EngineWebBrowserFactory *factory,
                             QWebEngineUrlRequestInterceptor *next, QObject *parent);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    const EngineWebBrowserFactory *m_factory;
    QWebEngineUrlRequestInterceptor *m_next;
};

} // namespace velmora::platform
