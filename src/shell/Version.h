#pragma once

namespace orvella {

inline constexpr const char* kProductVersion = "1.5";
inline constexpr const char* kApplicationTitle = "Orvella";
inline constexpr const char* kMainWindowCaption = "Orvella 1.5";
inline constexpr const char* kSingleInstanceName = "OrvellaMutex";

} // namespace orvella
