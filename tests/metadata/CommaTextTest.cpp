#include "metadata/CommaText.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

struct ParseCase {
    const char* text;
    std::vector<std::string> items;
};

TEST(CommaText, ParsesItemsSeparatedByCommasAndBlanks) {
    const ParseCase cases[] = {
        {"", {}},
        {"sky", {"sky"}},
        {"sky,blue", {"sky", "blue"}},
        {"blue sky", {"blue", "sky"}},
        {"  a ,  b", {"a", "b"}},
        {"a,", {"a", ""}},
        {"a, ", {"a"}},
        {",a", {"", "a"}},
        {"a,,b", {"a", "", "b"}},
        {"\"New York\",x", {"New York", "x"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"open quote", {"open quote"}},
        {"\"a\"b", {"a", "b"}},
        {"\"\"", {""}},
        {"a\tb\nc", {"a", "b", "c"}},
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(parseCommaText(c.text), c.items) << "text: " << c.text;
}

TEST(CommaText, ZeroByteEndsTheText) {
    EXPECT_EQ(parseCommaText(std::string("a,b\0c,d", 7)), (std::vector<std::string>{"a", "b"}));
}

TEST(CommaText, SerialisesWithQuotesWhereNeeded) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"a", ""}, "a,"},
        {{"sky", "blue"}, "sky,blue"},
        {{"New York"}, "\"New York\""},
        {{"a,b"}, "\"a,b\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"tab\there"}, "\"tab\there\""},
    };
    for (const auto& [items, text] : cases)
        EXPECT_EQ(toCommaText(items), text);
}

TEST(CommaText, SerialisedTextParsesBackToTheSameItems) {
    std::vector<std::string> items{"New York", "a,b", "say \"hi\"", "plain"};
    EXPECT_EQ(parseCommaText(toCommaText(items)), items);
}

TEST(CommaText, MergeAppendsNewItemsTrimmedAndDropsCaseDuplicates) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "sky", "sky"},
        {"sky", "blue sky", "sky,blue"},
        {"sky,blue", "Sky", "sky,blue"},
        {"sky", "", "sky"},
        {"", "\"  padded \"", "padded"},
        {"a,A", "b", "a,A,b"}, // items already held are not de-duplicated
        {"", ",", "\"\""},     // two empty items, the second a duplicate: one empty item
    };
    for (const auto& [held, added, merged] : cases)
        EXPECT_EQ(MergeCommaText(held, added), merged) << held << " + " << added;
}

} // namespace
} // namespace orvella
