#include "tool/VerbOutput.h"

#include <cstdio>

namespace orvella::tool {

std::string escapedValue(const std::string& value) {
    std::string out;
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 32) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

void printLine(const std::string& name, const std::string& value) {
    std::string line = name + "=" + escapedValue(value) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

} // namespace orvella::tool
