#pragma once

#include "EventLoop.h"

#include <QString>
#include <QVariant>
#include <QWebEnginePage>

namespace velmora::test {

// Runs a script in an engine page and waits for its result; "<timeout>"
// when none comes.
inline QVariant runScript(QWebEnginePage *page, const QString &script, int ms = 10000)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!spinUntil([&] { return done; }, ms))
        return QStringLiteral("<timeout>");
    return result;
}

} // namespace velmora::test
