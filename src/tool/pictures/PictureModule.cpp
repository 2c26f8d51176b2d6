// The one symbol the picture module shows the executable: its verb table,
// each verb wrapped so that its errors are reported inside the module.
#include "tool/ToolVerbs.h"

extern "C" __attribute__((visibility("default"))) const std::vector<orvella::tool::ToolVerb>*
orvella_tool_picture_verbs() {
    using namespace orvella::tool;
    static const std::vector<ToolVerb> verbs = [] {
        std::vector<ToolVerb> wrapped;
        for (const ToolVerb& verb : registeredVerbs())
            wrapped.push_back({verb.name, verb.usage, [verb](const std::vector<std::string>& args) {
                                   return runToolVerb(verb, args);
                               }});
        return wrapped;
    }();
    return &verbs;
}
