#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvella::tool {

// A verb of orvella-tool. Each *Verbs.cpp file of this folder registers its
// verbs with a static ToolVerbRegistration; the verbs that make pictures do
// the same from pictures/*Verbs.cpp, which are built into the picture module
// (see CMakeLists.txt here).
struct ToolVerb {
    // Runs with the arguments after the verb; returns the exit status.
    using Run = std::function<int(const std::vector<std::string>&)>;
    std::string name;
    std::string usage; // the arguments, for the help text
    Run run;
};

// For the picture module only: a verb that needs the PostScript renderer and
// the RAW converter installed while it runs. Loading them costs the start-up
// time of the interpreter library, so only the verbs that make pictures ask
// for it.
ToolVerb::Run withOutsideRenderers(ToolVerb::Run run);

struct ToolVerbRegistration {
    explicit ToolVerbRegistration(ToolVerb verb);
};

// The verbs registered in this binary: the executable's own, or inside the
// picture module the module's.
const std::vector<ToolVerb>& registeredVerbs();

// Thrown for a wrong argument list; the tool prints the verb's usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The argument names a regular file; else the error says what it is instead.
void requireFile(const std::string& file);

// Runs the verb and turns what it throws into a message on standard error
// and exit status 1. The picture module runs its verbs through its own copy,
// so no exception crosses from the module into the executable.
int runToolVerb(const ToolVerb& verb, const std::vector<std::string>& arguments);

// The entry point the picture module exports: its verbs. The executable opens
// the module the first time a verb is not one of its own.
inline constexpr const char* kPictureModuleFile = "orvella-tool-pictures.so";
inline constexpr const char* kPictureModuleEntry = "orvella_tool_picture_verbs";
using PictureVerbsEntry = const std::vector<ToolVerb>* (*)();

} // namespace orvella::tool
