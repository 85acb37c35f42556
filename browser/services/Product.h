#pragma once

#include "ProductAddresses.h"

namespace velmora::services::product {

// The page the session file header names. It identifies the file format,
// so it stays the same in every build, whatever the build settings say.
inline constexpr char16_t SessionHeaderPage[] = u"https://velmora.example/";

} // namespace velmora::services::product
