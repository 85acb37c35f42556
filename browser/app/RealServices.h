#pragma once

#include "Services.h"

namespace velmora::platform {

// Services over the real engine, desktop and files.
Services makeRealServices();

} // namespace velmora::platform
