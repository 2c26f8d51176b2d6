#include "metadata/CommaText.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

struct ParseCase {
    const char* text;
    std::vector<std::string> items;
};

TEST(CommaText, ParsesItemsSeparatedByCommasOnly) {
    const ParseCase cases[] = {
        {"", {}},
        {"sky", {"sky"}},
        {"sky,blue", {"sky", "blue"}},
        {"blue sky", {"blue sky"}},
        {"red apple,fruit", {"red apple", "fruit"}},
        {"  a ,  b", {"a", "b"}},
        {"  New   York  ", {"New   York"}},
        {"a,", {"a", ""}},
        {"a, ", {"a"}},
        {",a", {"", "a"}},
        {"a,,b", {"a", "", "b"}},
        {"\"New York\",x", {"New York", "x"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"open quote", {"open quote"}},
        {"\"a\"b", {"ab"}},
        {"\"a,b\",c", {"a,b", "c"}},
        {"\"\"", {""}},
        {"a\tb\nc", {"a\tb\nc"}},
        {"Café,CAFÉ", {"Café", "CAFÉ"}},
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
        {{"New York"}, "New York"},
        {{"red apple", "fruit"}, "red apple,fruit"},
        {{"a,b"}, "\"a,b\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"tab\there"}, "tab\there"},
    };
    for (const auto& [items, text] : cases)
        EXPECT_EQ(toCommaText(items), text);
}

TEST(CommaText, SerialisedTextParsesBackToTheSameItems) {
    std::vector<std::string> items{"New York", "a,b", "say \"hi\"", "plain", "Ελλάδα 🙂"};
    EXPECT_EQ(parseCommaText(toCommaText(items)), items);
}

TEST(CommaText, MergeAppendsNewItemsTrimmedAndDropsCaseDuplicates) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "sky", "sky"},
        {"sky", "blue sky", "sky,blue sky"},
        {"sky", "Sky, blue sky ,SKY", "sky,blue sky"},
        {"café", "CAFÉ,Ελλάδα", "café,Ελλάδα"},
        {"ΕΛΛΆΔΑ", "ελλάδα", "ΕΛΛΆΔΑ"},
        {"", "\"a,b\"", "\"a,b\""},
        {"sky,blue", "Sky", "sky,blue"},
        {"sky", "", "sky"},
        {"", "\"  padded \"", "padded"},
        {"", "a,,b", "a,,b"},
        {"a,A", "b", "a,A,b"}, // items already held are not de-duplicated
        {"", ",", "\"\""},     // two empty items, the second a duplicate: one empty item
    };
    for (const auto& [held, added, merged] : cases)
        EXPECT_EQ(MergeCommaText(held, added), merged) << held << " + " << added;
}

TEST(CommaText, KeywordsCompareIgnoringCaseOfEveryLetter) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"sky", "SKY", true},       {"Café", "CAFÉ", true},  {"Ελλάδα", "ΕΛΛΆΔΑ", true},
        {"Москва", "МОСКВА", true}, {"café", "cafe", false}, {"東京", "東京", true},
        {"a b", "ab", false},
    };
    for (const auto& [a, b, same] : cases)
        EXPECT_EQ(sameKeyword(a, b), same) << a << " / " << b;
}

} // namespace
} // namespace orvella
