#pragma once

#include <QString>

namespace velmora::services {

// An address as the address bar shows it and the address history keeps it:
// a host the control reports in punycode ("xn--e1afmkfd.ru") in its own
// letters ("пример.ru") when Windows-1251 holds them all; a host it cannot
// hold stays encoded, as the data files write it. A text with no
// "scheme://" is taken to start with its host.
QString shownAddress(const QString &address);

} // namespace velmora::services
