#include "shell/SizeText.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

TEST(SizeText, UnitsAndTheTwoDigitRemainder) {
    struct Case {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {1024, "1024 bytes"},
        {1025, "1`1 Kb"},
        {1536, "1`51 Kb"},
        {1048576, "1024`0 Kb"},
        {1048577, "1`1 Mb"},
        {3 * 1048576 + 300000, "3`30 Mb"},
        {1073741824, "1024`0 Mb"},
        {5ull * 1073741824 + 7, "5`7 Gb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

} // namespace
} // namespace orvella
