#include "EngineContentInterceptor.h"

#include "EngineOfflineWork.h"
#include "EngineStillFrames.h"
#include "EngineWebBrowser.h"

#include <QWebEnginePage>
#include <QWebEngineUrlRequestInfo>

using namespace Qt::StringLiterals;

namespace velmora::platform {

EngineContentInterceptor::EngineContentInterceptor(const EngineWebBrowserFactory *factory,
                                                   QWebEngineUrlRequestInterceptor *next,
                                                   QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
    , m_factory(factory)
    , m_next(next)
{
}

void EngineContentInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    // Each page has its own interceptor, made as its child.
    if (auto *page = qobject_cast<QWebEnginePage *>(parent()); page && m_factory)
        m_factory->offlineWork().pageRequested(page);
    if (m_next) {
        m_next->interceptRequest(info);
        if (info.changed())
            return;
    }
    if (!m_factory || info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeImage)
        return;
    const ContentSettings &content = m_factory->contentSettings();
    if (!content.pictures) {
        info.block(true);
        return;
    }
    const QString scheme = info.requestUrl().scheme();
    if (!content.animations && (scheme == "http"_L1 || scheme == "https"_L1)
        && info.requestMethod() == "GET" && EngineStillFrames::isRegistered())
        info.redirect(EngineStillFrames::stillUrl(info.requestUrl()));
}

} // namespace velmora::platform
