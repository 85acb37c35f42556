#pragma once

#include "WebBrowser.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

namespace velmora::test {

// Writes the page events of one control into one list, in order. A
// navigation is cancelled when cancelBefore is set or its path is one of
// cancelPaths.
struct PageEventLog
{
    QStringList events;
    bool cancelBefore = false;
    QStringList cancelPaths;

    explicit PageEventLog(platform::WebBrowser *browser)
    {
        using platform::WebBrowser;
        using namespace Qt::StringLiterals;
        QObject::connect(browser, &WebBrowser::BeforeNavigate2, browser,
                         [this](const QString &url, bool *cancel) {
                             events << u"Before "_s + url;
                             *cancel = cancelBefore || cancelPaths.contains(QUrl(url).path());
                         });
        QObject::connect(browser, &WebBrowser::NavigateComplete2, browser,
                         [this](const QString &url) { events << u"NavigateComplete "_s + url; });
        QObject::connect(browser, &WebBrowser::TitleChange, browser,
                         [this](const QString &text) { events << u"Title "_s + text; });
        QObject::connect(browser, &WebBrowser::ProgressChange, browser,
                         [this](int p, int max) { events << u"Progress %1/%2"_s.arg(p).arg(max); });
        QObject::connect(browser, &WebBrowser::DocumentComplete, browser,
                         [this](const QString &url) { events << u"DocumentComplete "_s + url; });
        QObject::connect(browser, &WebBrowser::DownloadComplete, browser,
                         [this] { events << u"DownloadComplete"_s; });
    }
    PageEventLog(const PageEventLog &) = delete;
    PageEventLog &operator=(const PageEventLog &) = delete;
};

} // namespace velmora::test
