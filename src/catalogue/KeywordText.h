#pragma once

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace orvella {

// A set of separator characters, indexed by the byte value.
using CharSet = std::bitset<256>;

// The characters that part keywords in a text: line feed, carriage return
// and every printable punctuation character except hyphen, caret and
// underscore. Blank and tab are not among them, so a keyword may hold blanks.
const CharSet& KeywordSeparators();

// The number of words of the text, a word being a maximal run of characters
// outside the set.
int WordCount(std::string_view text, const CharSet& separators);
// The n-th word (counted from 1), or empty text when there are fewer words.
std::string ExtractWord(int n, std::string_view text, const CharSet& separators);

// Leading and trailing blanks and control characters removed.
std::string TrimKeyword(std::string_view word);

// The keywords of a text, trimmed, in order; words that trim to nothing are
// left out.
std::vector<std::string> SplitKeywords(std::string_view text);

} // namespace orvella
