#include "shell/SizeText.h"

namespace orvella {

namespace {
std::string scaled(uint64_t bytes, uint64_t unit, const char* name) {
    std::string remainder = std::to_string(bytes % unit).substr(0, 2);
    return std::to_string(bytes / unit) + "`" + remainder + " " + name;
}
} // namespace

std::string SizeText(uint64_t bytes) {
    constexpr uint64_t kilo = 1024, mega = kilo * 1024, giga = mega * 1024;
    if (bytes <= kilo)
        return std::to_string(bytes) + " bytes";
    if (bytes <= mega)
        return scaled(bytes, kilo, "Kb");
    if (bytes <= giga)
        return scaled(bytes, mega, "Mb");
    return scaled(bytes, giga, "Gb");
}

} // namespace orvella
