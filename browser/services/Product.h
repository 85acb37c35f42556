#pragma once

namespace velmora::services::product {

// The product's page and its update server. The session file header names
// the page too, so writer and readers must share this one string.
inline constexpr char16_t Page[] = u"https://velmora.example/";
inline constexpr char16_t VersionDocument[] = u"https://update.velmora.example/version.txt";
inline constexpr char16_t DownloadPage[] = u"https://velmora.example/download.html";

} // namespace velmora::services::product
