#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvella {

// The comma text form of a repeatable IPTC entry's value. Only commas outside
// double quotes separate items, so a keyword phrase such as 'New York' is one
// item; blanks and control characters around an item are trimmed, blanks
// inside it stay. An item in double quotes may hold anything, with inner
// double quotes doubled. A zero byte ends the text.
std::vector<std::string> parseCommaText(std::string_view text);
// Joins the items with single commas; an item holding a comma or a double
// quote is put in double quotes. A list of one empty item gives "".
std::string toCommaText(const std::vector<std::string>& items);

// Appends the items of b, trimmed of control characters and blanks, to the
// items of a, unless a already holds an item equal to one ignoring case.
std::string MergeCommaText(std::string_view a, std::string_view b);

// Trims characters with codes 0 to 32 from both ends.
std::string trimControl(std::string_view text);

// UTF-8 text with every letter folded to one case (not only ASCII), for
// comparing keywords: 'Café' and 'CAFÉ' fold to the same text.
std::string foldKeywordCase(std::string_view text);
bool sameKeyword(std::string_view a, std::string_view b);

} // namespace orvella
