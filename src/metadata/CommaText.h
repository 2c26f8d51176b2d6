#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvella {

// The comma text form of a repeatable IPTC entry's value. Blanks separate
// items just as commas do; an item in double quotes may hold anything, with
// inner double quotes doubled. A zero byte ends the text.
std::vector<std::string> parseCommaText(std::string_view text);
std::string toCommaText(const std::vector<std::string>& items);

// Appends the items of b, trimmed of control characters and blanks, to the
// items of a, unless a already holds an item equal to one ignoring case.
std::string MergeCommaText(std::string_view a, std::string_view b);

// Trims characters with codes 0 to 32 from both ends.
std::string trimControl(std::string_view text);

} // namespace orvella
