#pragma once

#include <QMargins>

class QWidget;

namespace velmora::platform {

// Under X a new window shows whatever lay beneath it (black on a bare
// screen) until the program paints it, which a busy start-up or the engine's
// first frame can delay. Makes every top-level window the program creates
// filled by the X server with its window colour the moment it appears.
// Does nothing on other window systems. Needs the application object.
void fillWindowsBeforePaint();

// The frame the window manager will put around a top-level window not yet
// shown, asked of it ahead (_NET_REQUEST_FRAME_EXTENTS), waiting at most
// timeoutMs for its answer; zero margins when there is no such window
// manager or no answer. Knowing it, the window is given its final size
// before it appears instead of being resized once framed.
QMargins frameExtentsBeforeShow(QWidget *window, int timeoutMs = 100);

} // namespace velmora::platform
