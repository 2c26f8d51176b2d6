#include "shell/SizeText.h"

#include <QLocale>

namespace orvella {

namespace {
std::string scaled(uint64_t bytes, uint64_t unit, const char* name) {
    uint64_t hundredths = bytes % unit * 100 / unit;
    std::string fraction = std::to_string(hundredths);
    if (fraction.size() < 2)
        fraction.insert(0, "0");
    QString separator = QLocale().decimalPoint();
    return std::to_string(bytes / unit) + separator.toStdString() + fraction + " " + name;
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
