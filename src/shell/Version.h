#pragma once

namespace orvella {

inline constexpr const char* kProductVersion = "1.5";
inline constexpr const char* kApplicationTitle = "Orvella";
inline constexpr const char* kMainWindowCaption = "Orvella 1.5";
inline constexpr const char* kSingleInstanceName = "OrvellaMutex";
// The reverse-DNS name of the desktop entry and of the icon.
inline constexpr const char* kDesktopFileName = "example.orvella.Orvella";

} // namespace orvella
