// Verbs over the file kinds, the image key and the thumbnail maker.
#include "files/FileIdentity.h"
#include "files/FileKinds.h"
#include "files/PreviewCache.h"
#include "files/Thumbnail.h"
#include "tool/ToolVerbs.h"

#include <cstdio>

namespace orvella::tool {

namespace {

const std::string& onlyArgument(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("one file expected");
    return args[0];
}

int printMd5(const std::vector<std::string>& args) {
    std::printf("%s\n", FileMD5(onlyArgument(args)).c_str());
    return 0;
}

int printKind(const std::vector<std::string>& args) {
    const std::string& file = onlyArgument(args);
    bool catalogue = IsCatalogueFile(file, PictureDecoderList());
    std::printf("%s %s\n", FileKindName(file).c_str(), catalogue ? "catalogue" : "not-catalogue");
    return 0;
}

int writeThumbnail(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError("a file and an output file expected");
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

ToolVerbRegistration md5Verb{{"md5", "FILE", printMd5}};
ToolVerbRegistration kindVerb{{"kind", "FILE", printKind}};
ToolVerbRegistration thumbVerb{{"thumb", "FILE OUT", withOutsideRenderers(writeThumbnail)}};

} // namespace

} // namespace orvella::tool
