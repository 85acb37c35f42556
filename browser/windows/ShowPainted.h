#pragma once

class QWidget;

namespace velmora::windows {

// Shows a top-level window and returns once the window system has exposed it
// and its contents are on the screen, or after timeoutMs, whichever comes
// first. A window shown right before long work on the one thread would
// otherwise stay blank until the work is done. True when it was painted.
bool showPainted(QWidget *window, int timeoutMs = 200);

} // namespace velmora::windows
