// Verbs over the file kinds and the image key.
#include "files/FileIdentity.h"
#include "files/FileKinds.h"
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
    requireFile(file);
    bool catalogue = IsCatalogueFile(file, PictureDecoderList());
    std::printf("%s %s\n", FileKindName(file).c_str(), catalogue ? "catalogue" : "not-catalogue");
    return 0;
}

ToolVerbRegistration md5Verb{{"md5", "FILE", printMd5}};
ToolVerbRegistration kindVerb{{"kind", "FILE", printKind}};

} // namespace

} // namespace orvella::tool
