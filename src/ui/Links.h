#pragma once

namespace orvella {

// The product's web site, opened by the splash and About links.
inline constexpr const char* kProductWebSite = "https://www.orvella.example/";
// Where the catalogue engine comes from, named when the catalogue cannot be opened.
inline constexpr const char* kDataAccessVendorSite = "https://www.sqlite.org/download.html";

} // namespace orvella
