#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvella::tool {

// A verb of orvella-tool. Each *Verbs.cpp file of this folder registers its
// verbs with a static ToolVerbRegistration.
struct ToolVerb {
    std::string name;
    std::string usage; // the arguments, for the help text
    // Runs with the arguments after the verb; returns the exit status.
    std::function<int(const std::vector<std::string>&)> run;
};

struct ToolVerbRegistration {
    explicit ToolVerbRegistration(ToolVerb verb);
};

const std::vector<ToolVerb>& registeredVerbs();

// Thrown for a wrong argument list; the tool prints the verb's usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace orvella::tool
