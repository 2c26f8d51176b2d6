#pragma once

#include <string>

namespace orvella::tool {

// Backslash, CR, LF and other control bytes written as escapes, so that one
// value is one line.
std::string escapedValue(const std::string& value);

// "NAME=VALUE" with the value escaped, on standard output.
void printLine(const std::string& name, const std::string& value);

} // namespace orvella::tool
