#pragma once

class QString;

namespace velmora::platform {

// The width a window needs to show title in its title bar, with its icon
// and buttons.
int titleRoom(const QString &title);

} // namespace velmora::platform
