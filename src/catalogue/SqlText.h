#pragma once

#include <string>
#include <string_view>

namespace orvella {

// A text value as it stands in a statement: between single quotes, with every
// single quote inside it doubled. Every statement that carries text uses this.
std::string QuotedStr(std::string_view value);

} // namespace orvella
