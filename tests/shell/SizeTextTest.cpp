#include "shell/SizeText.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace orvella {
namespace {

// Restores the default locale however a test ends.
struct DefaultLocale {
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::c()); }
};

TEST(SizeText, UnitsAndTwoDecimals) {
    DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    struct Case {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {1024, "1024 bytes"},
        {1025, "1.00 Kb"},
        {1536, "1.50 Kb"},
        {1024 + 10, "1.00 Kb"},   // 0.0097: truncated, not rounded
        {1024 + 1013, "1.98 Kb"}, // 0.9892
        {2047, "1.99 Kb"},        // never rounded up to 2.00
        {1048576, "1024.00 Kb"},
        {1048577, "1.00 Mb"},
        {3 * 1048576 + 300000, "3.28 Mb"},
        {1073741824, "1024.00 Mb"},
        {5ull * 1073741824 + 7, "5.00 Gb"},
        {UINT64_MAX, "17179869183.99 Gb"}, // no overflow on the largest count
    };
    for (const auto& c : cases)
        EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST(SizeText, UsesTheLocaleDecimalSeparator) {
    DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SizeText(1536), "1,50 Kb");
    EXPECT_EQ(SizeText(1000), "1000 bytes");
}

} // namespace
} // namespace orvella
