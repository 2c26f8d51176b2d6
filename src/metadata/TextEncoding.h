#pragma once

#include <string>
#include <string_view>

namespace orvella {

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view text);
// Windows-1252 bytes as UTF-8; the five codes that code page leaves
// unassigned map to the C1 controls of the same number.
std::string windows1252ToUtf8(std::string_view text);
// UTF-16 code units in the given byte order as UTF-8; an unpaired surrogate
// becomes U+FFFD, a trailing odd byte is ignored.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);
// Whether any byte is above 127.
bool hasHighBytes(std::string_view text);

} // namespace orvella
