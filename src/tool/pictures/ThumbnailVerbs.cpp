// The thumbnail maker from the command line.
#include "files/PreviewCache.h"
#include "files/Thumbnail.h"
#include "tool/ToolVerbs.h"

#include <cstdio>

namespace orvella::tool {

namespace {

int writeThumbnail(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError("a file and an output file expected");
    std::optional<QImage> thumbnail = MakeThumbnail(args[0], kPreviewSize);
    if (!thumbnail) {
        std::fprintf(stderr, "no thumbnail\n");
        return 1;
    }
    WriteBitmapFile(args[1], *thumbnail);
    return 0;
}

ToolVerbRegistration thumbVerb{{"thumb", "FILE OUT", withOutsideRenderers(writeThumbnail)}};

} // namespace

} // namespace orvella::tool
