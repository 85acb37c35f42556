#pragma once

#include <QtGlobal>
#include <qnamespace.h>

class QWidget;

namespace velmora::test {

// Makes window the active window, so that its shortcuts take typed keys.
bool activateForKeys(QWidget &window);

// Posts a key press and its release to the widget of window that has the
// focus (the window when none has), as the window system hands over a typed
// key, and returns the milliseconds until the event loop delivered the
// press: what a user waits for a key to be taken. -1 when it was not
// delivered within timeoutMs.
qint64 postedKeyDelayMs(QWidget &window, int key, Qt::KeyboardModifiers modifiers,
                        int timeoutMs = 10000);

} // namespace velmora::test
