// The picture viewer without a window: load a file as the Studio page does,
// turn and zoom it, save it over its file, and write what is shown.
#include "files/FileKinds.h"
#include "files/PreviewCache.h"
#include "tool/CommandLinePrompts.h"
#include "tool/ToolVerbs.h"
#include "viewer/Renderers.h"
#include "viewer/StudioDocument.h"

#include <cstdio>
#include <optional>

namespace orvella::tool {

namespace {

// The renderers are started only for a PostScript file: loading the
// interpreter costs more than decoding a photograph.
struct RenderersWhenNeeded {
    explicit RenderersWhenNeeded(const std::string& file) : started(IsPostScriptFile(file)) {
        if (started)
            StartOutsideRenderers();
    }
    ~RenderersWhenNeeded() {
        if (started)
            StopOutsideRenderers();
    }
    bool started;
};

QSize pageSizeArgument(const std::string& text) {
    int width = 0, height = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) != 2 || width <= 0 ||
        height <= 0)
        throw UsageError("a page size is WIDTHxHEIGHT");
    return {width, height};
}

int runStudio(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("a picture file expected");
    RenderersWhenNeeded renderers(args[0]);
    StudioDocument document;
    CommandLinePrompts prompts;
    bool fit = true;
    size_t i = 1;
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        if (args[i] == "--real")
            fit = false;
        else if (args[i] == "--page" && i + 1 < args.size())
            document.SetPageSize(pageSizeArgument(args[++i]));
        else
            throw UsageError("unknown option " + args[i]);
    }
    requireFile(args[0]);
    document.Load(args[0], fit);
    if (document.Picture().isNull()) {
        std::fprintf(stderr, "no picture: the viewer does not show this kind of file\n");
        return 1;
    }
    std::optional<std::string> output;
    for (; i < args.size(); ++i) {
        const std::string& step = args[i];
        if (step == "cw")
            document.RotateClockwise();
        else if (step == "ccw")
            document.RotateAnticlockwise();
        else if (step == "in")
            document.ZoomIn();
        else if (step == "out")
            document.ZoomOut();
        else if (step == "save")
            document.Save(prompts);
        else if (step == "bmp" && i + 1 < args.size())
            output = args[++i];
        else
            throw UsageError("unknown step " + step);
    }
    QSize size = document.FullPictureSize();
    std::printf("%s\t%s\t%dx%d\n", document.StatusText(0).c_str(), document.StatusText(1).c_str(),
                size.width(), size.height());
    if (output)
        WriteBitmapFile(*output, document.Picture());
    return 0;
}

ToolVerbRegistration studioVerb{
    {"studio", "FILE [--real] [--page WxH] [cw|ccw|in|out|save|bmp OUT.bmp]...", runStudio}};

} // namespace

} // namespace orvella::tool
