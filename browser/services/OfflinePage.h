#pragma once

#include <QString>

namespace velmora::services {

class Language;

// The page shown while offline for an address the page cache does not hold,
// in the current language: an HTML document.
QString offlinePageHtml(const Language &language, const QString &address);
// That page's title, in the current language.
QString offlinePageTitle(const Language &language);

} // namespace velmora::services
