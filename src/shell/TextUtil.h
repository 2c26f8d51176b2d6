#pragma once

#include <string>
#include <string_view>

namespace orvella {

// 8-bit text helpers; letter case folds ASCII letters only, as names and
// keys are compared.
std::string trim(std::string_view text);
std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace orvella
