#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvella::test {

struct ToolOutput {
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// orvella-tool copied into a program folder of the test's own, so verbs that
// work on "the catalogue beside the tool" work on that folder's catalogue.
// The per-user folders of the run point into the folder too.
class ToolCopy {
public:
    ToolCopy(const std::filesystem::path& programFolder, const std::filesystem::path& binFolder);

    // Standard input holds the text given.
    ToolOutput run(const std::vector<std::string>& arguments, const std::string& input = "") const;
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

} // namespace orvella::test
