// The keyword commands of the "Keywords" page from the command line.
#include "catalogue/KeywordText.h"
#include "tool/ToolCatalogue.h"
#include "tool/ToolVerbs.h"

#include <cstdio>

namespace orvella::tool {

namespace {

std::vector<std::string> filesFrom(const std::vector<std::string>& args, size_t first) {
    return {args.begin() + static_cast<std::ptrdiff_t>(first), args.end()};
}

std::vector<std::string> keywordsOf(const std::string& text) {
    std::vector<std::string> keywords = SplitKeywords(text);
    if (keywords.empty())
        throw std::invalid_argument("no keyword in '" + text + "'");
    return keywords;
}

int listKeywords(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("one file expected");
    ToolCatalogue catalogue;
    std::string key = catalogue.select(args).front().MD5;
    catalogue.db().RepairKeywordOrder(key);
    for (const std::string& keyword : catalogue.db().GetImageKeywords(key))
        std::printf("%s\n", keyword.c_str());
    return 0;
}

int addKeywords(const std::vector<std::string>& args) {
    if (args.size() < 2)
        throw UsageError("text and files expected");
    keywordsOf(args[0]);
    ToolCatalogue catalogue;
    catalogue.keywords().AddKeywordText(catalogue.select(filesFrom(args, 1)), args[0]);
    return 0;
}

int removeKeywords(const std::vector<std::string>& args) {
    if (args.size() < 2)
        throw UsageError("text and files expected");
    std::vector<std::string> keywords = keywordsOf(args[0]);
    ToolCatalogue catalogue;
    catalogue.keywords().RemoveImageKeywords(catalogue.select(filesFrom(args, 1)), keywords);
    return 0;
}

int sortKeywords(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("files expected");
    ToolCatalogue catalogue;
    catalogue.keywords().SortKeywords(catalogue.select(args));
    return 0;
}

ToolVerbRegistration keywordsVerb{{"keywords", "FILE", listKeywords}};
ToolVerbRegistration keywordAddVerb{{"keyword-add", "TEXT FILE...", addKeywords}};
ToolVerbRegistration keywordRemoveVerb{{"keyword-remove", "TEXT FILE...", removeKeywords}};
ToolVerbRegistration keywordSortVerb{{"keyword-sort", "FILE...", sortKeywords}};

} // namespace

} // namespace orvella::tool
