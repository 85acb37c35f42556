#include "EngineContentInterceptor.h"

#include "EngineOfflineWork.h"
#include "EnginePermissions.h"
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
    if (auto *page = qobject_cast<QWebEnginePage *>(parent()); page && m_factory) {
        m_factory->offlineWork().pageRequested(page, info);
        if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame
            || info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
            EnginePermissions::frameRequested(page, info.requestUrl());
    }
    if (m_next) {
        m_next->interceptRequest(info);
        if (info.changed())
            return;
    }
    if (!m_factory || info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeImage)
        return;
    if (!m_factory->contentSettings().pictures)
        info.block(true);
}

} // namespace velmora::platform
