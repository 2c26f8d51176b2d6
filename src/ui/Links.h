#pragma once

namespace orvella {

// The product's web site, opened by the splash and About links.
inline constexpr const char* kProductWebSite = "https://www.orvella.example/";
// Opened by Help > Help when no "help.chm" is in the program folder, and by Help > FAQ.
inline constexpr const char* kOnlineHelpPage = "https://www.orvella.example/help/";
inline constexpr const char* kForumPage = "https://www.orvella.example/forum/";
// Where the catalogue engine comes from, named when the catalogue cannot be opened.
inline constexpr const char* kDataAccessVendorSite = "https://www.sqlite.org/download.html";

} // namespace orvella
