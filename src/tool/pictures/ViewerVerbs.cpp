// Verbs over the PostScript renderer and the RAW library, and the wrapper
// that installs the renderers for the verbs that make pictures.
#include "files/OutsideRenderers.h"
#include "files/PreviewCache.h"
#include "tool/ToolVerbs.h"
#include "viewer/RawBridge.h"
#include "viewer/Renderers.h"

#include <cstdio>
#include <stdexcept>

namespace orvella::tool {

namespace {

struct RenderersForTheRun {
    RenderersForTheRun() { StartOutsideRenderers(); }
    ~RenderersForTheRun() { StopOutsideRenderers(); }
};

int renderFirstPage(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError("a PostScript file and an output bitmap expected");
    std::shared_ptr<PostScriptRenderer> renderer = CurrentPostScriptRenderer();
    if (!renderer)
        throw std::runtime_error("GhostScript disabled");
    QImage page = renderer->RenderFirstPage(args[0]);
    if (page.width() == 0 || page.height() == 0) {
        std::fprintf(stderr, "no page\n");
        return 1;
    }
    WriteBitmapFile(args[1], page);
    return 0;
}

int printRawInfo(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("one RAW file expected");
    std::optional<TRawSummary> summary = ReadRawInfo(args[0]);
    if (!summary) {
        std::fprintf(stderr, "the RAW library cannot read %s\n", args[0].c_str());
        return 1;
    }
    for (const auto& [name, value] : RawSummaryRows(*summary))
        std::printf("%s=%s\n", name.c_str(), value.c_str());
    return 0;
}

ToolVerbRegistration renderVerb{{"render", "FILE OUT.bmp", withOutsideRenderers(renderFirstPage)}};
ToolVerbRegistration rawInfoVerb{{"rawinfo", "FILE", printRawInfo}};

} // namespace

ToolVerb::Run withOutsideRenderers(ToolVerb::Run run) {
    return [run = std::move(run)](const std::vector<std::string>& args) {
        RenderersForTheRun renderers;
        return run(args);
    };
}

} // namespace orvella::tool
