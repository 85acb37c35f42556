#include "OfflinePage.h"

#include "Language.h"

using namespace Qt::StringLiterals;

namespace velmora::services {

QString offlinePageTitle(const Language &language)
{
    return language.own(u"Страница недоступна автономно", u"The page is not available offline");
}

QString offlinePageHtml(const Language &language, const QString &address)
{
    const QString title = offlinePageTitle(language);
    const QString text = language.own(
        u"Эта страница не сохранена для автономной работы, поэтому показать её без подключения "
        u"нельзя.",
        u"This page was not kept for offline work, so it cannot be shown without a connection.");
    const QString howTo = language.own(
        u"Чтобы открыть её, снимите отметку «Работать автономно» в меню «Файл» (или нажмите "
        u"кнопку «Автономно» на панели инструментов) и обновите страницу.",
        u"To open it, clear \u201cWork offline\u201d in the File menu (or press the "
        u"\u201cOffline\u201d button on the toolbar) and refresh the page.");
    return u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>"_s + title.toHtmlEscaped()
           + u"</title><style>body{font-family:sans-serif;margin:3em;color:#222}"
             u"h1{font-size:1.4em}.address{color:#555;word-break:break-all}</style></head>"
             u"<body><h1>"_s
           + title.toHtmlEscaped() + u"</h1><p class=\"address\">"_s + address.toHtmlEscaped()
           + u"</p><p>"_s + text.toHtmlEscaped() + u"</p><p>"_s + howTo.toHtmlEscaped()
           + u"</p></body></html>"_s;
}

} // namespace velmora::services
