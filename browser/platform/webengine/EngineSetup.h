#pragma once

namespace velmora::platform {

// Settings of the web engine that must be made before the application object
// exists.
void prepareEngine();

} // namespace velmora::platform
