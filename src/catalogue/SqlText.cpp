#include "catalogue/SqlText.h"

namespace orvella {

std::string QuotedStr(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '\'';
    for (char c : value) {
        if (c == '\'')
            quoted += '\'';
        quoted += c;
    }
    quoted += '\'';
    return quoted;
}

} // namespace orvella
