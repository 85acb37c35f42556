#pragma once

#include <QString>
#include <QUrl>

namespace velmora::platform {

// The address a control opens for a text the user typed ("example.com",
// "http://host/path", a local path); an invalid address when the text names
// none ("hello world"), and the control then opens nothing.
inline QUrl addressFromUserText(const QString &text)
{
    return QUrl::fromUserInput(text);
}

} // namespace velmora::platform
