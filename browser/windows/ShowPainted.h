#pragma once

#include <functional>

class QWidget;

namespace velmora::windows {

// Shows a top-level window and returns once the window system has exposed it
// and its contents are on the screen, or after timeoutMs, whichever comes
// first. A window shown right before long work on the one thread would
// otherwise stay blank until the work is done. True when it was painted.
bool showPainted(QWidget *window, int timeoutMs = 200);

// Runs step once the shown window has put its first picture on the screen
// (after the event loop has handled its first exposure), or after timeoutMs
// whichever comes first; the caller goes on at once.
void afterFirstPicture(QWidget *window, std::function<void()> step, int timeoutMs = 3000);

} // namespace velmora::windows
