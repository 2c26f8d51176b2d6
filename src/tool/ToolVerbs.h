#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvella::tool {

// A verb of orvella-tool. Each *Verbs.cpp file of this folder registers its
// verbs with a static ToolVerbRegistration.
struct ToolVerb {
    // Runs with the arguments after the verb; returns the exit status.
    using Run = std::function<int(const std::vector<std::string>&)>;
    std::string name;
    std::string usage; // the arguments, for the help text
    Run run;
};

// A verb that needs the PostScript renderer and the RAW converter installed
// while it runs. Loading them costs the start-up time of the interpreter
// library, so only the verbs that make pictures ask for it.
ToolVerb::Run withOutsideRenderers(ToolVerb::Run run);

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
