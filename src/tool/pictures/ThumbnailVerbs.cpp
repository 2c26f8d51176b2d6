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
    requireFile(args[0]);
    ThumbnailAttempt thumbnail = TryMakeThumbnail(args[0], kPreviewSize);
    if (!thumbnail.picture) {
        if (thumbnail.error.empty())
            std::fprintf(stderr, "no thumbnail\n");
        else
            std::fprintf(stderr, "no thumbnail: %s\n", thumbnail.error.c_str());
        return 1;
    }
    WriteBitmapFile(args[1], *thumbnail.picture);
    return 0;
}

ToolVerbRegistration thumbVerb{{"thumb", "FILE OUT", withOutsideRenderers(writeThumbnail)}};

} // namespace

} // namespace orvella::tool
