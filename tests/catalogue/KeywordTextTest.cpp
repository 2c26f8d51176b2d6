#include "catalogue/KeywordText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvella {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(KeywordTextTest, SeparatorsArePunctuationAndLineBreaksOnly) {
    const std::string separators = "!\"#$%&'()*+,./:;<=>?@[\\]`{|}~\r\n";
    for (int c = 0; c < 256; ++c) {
        bool expected = separators.find(static_cast<char>(c)) != std::string::npos;
        EXPECT_EQ(KeywordSeparators().test(static_cast<size_t>(c)), expected) << "character " << c;
    }
}

TEST(KeywordTextTest, WordsAreMaximalRunsOutsideTheSet) {
    struct Case {
        const char* text;
        int count;
        const char* second;
    };
    for (Case c : {Case{"", 0, ""}, Case{",,;", 0, ""}, Case{"sky", 1, ""},
                   Case{"sky,,;blue sky", 2, "blue sky"}, Case{";sky;sea;", 2, "sea"},
                   Case{"well-known_a^b\ttab,x", 2, "x"}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(WordCount(c.text, KeywordSeparators()), c.count);
        EXPECT_EQ(ExtractWord(2, c.text, KeywordSeparators()), c.second);
    }
    EXPECT_EQ(ExtractWord(1, "well-known_a^b\ttab,x", KeywordSeparators()), "well-known_a^b\ttab");
    EXPECT_EQ(ExtractWord(0, "a,b", KeywordSeparators()), "");
}

TEST(KeywordTextTest, SplittingTrimsAndDropsEmptyWords) {
    EXPECT_THAT(SplitKeywords(" sky , blue sky;\tSky\r\n \x01"),
                ElementsAre("sky", "blue sky", "Sky"));
    EXPECT_THAT(SplitKeywords(" ,\t, "), IsEmpty());
}

} // namespace
} // namespace orvella
