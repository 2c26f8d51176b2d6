#pragma once

#include "metadata/TagEntry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvella {

// Bytes per item of a TIFF field type; 0 for a type outside 1 to 12.
size_t exifTypeSize(uint16_t type);

// Reads a 16- or 32-bit unsigned number in the given byte order.
uint16_t readUnsigned16(const unsigned char* bytes, bool bigEndian);
uint32_t readUnsigned32(const unsigned char* bytes, bool bigEndian);

// The value's text before any display format: ASCII less one trailing zero,
// UNDEFINED quoted up to its first zero, numbers item by item (at most 128,
// joined by ", "), whole numbers passed through the decode list when given.
std::string formatExifValue(uint16_t type, std::string_view raw, bool bigEndian,
                            std::string_view decode);

// The first item as a number (a rational divided out, 0 for a zero
// denominator); 0 when there is no item.
double firstExifNumber(uint16_t type, std::string_view raw, bool bigEndian);

// A format holding "%s" receives the text, any other the first item.
std::string applyDisplayFormat(std::string_view format, const std::string& text, double first);

// What is shown without a formatting function: the first 50 characters,
// control characters as ".".
std::string plainShownValue(const std::string& text);

// printf into a std::string, for the fixed formats of the tables.
std::string formatNumber(const char* format, double value);

std::string formatComponentsConfiguration(const TTagEntry& entry, const std::string& text);
std::string formatShutterSpeed(const TTagEntry& entry, const std::string& text);
std::string formatFlash(const TTagEntry& entry, const std::string& text);
std::string formatUserComment(const TTagEntry& entry, const std::string& text);
std::string formatWindowsText(const TTagEntry& entry, const std::string& text);
std::string formatGpsCoordinate(const TTagEntry& entry, const std::string& text);
std::string formatGpsTime(const TTagEntry& entry, const std::string& text);

} // namespace orvella
