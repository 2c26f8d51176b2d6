// Verbs over the IPTC and EXIF code: read, set, show and clear metadata.
#include "tool/ToolVerbs.h"
#include "tool/VerbOutput.h"

#include "metadata/ExifGrid.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace orvella::tool {

namespace {

const std::filesystem::path& existingFile(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw std::system_error(ENOENT, std::generic_category(), file.string());
    return file;
}

int printIptc(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("iptc");
    TimgData data;
    if (!data.ProcessFile(existingFile(args[0])) || data.IptcObj() == nullptr)
        return 0;
    TIPTCdata& iptc = *data.IptcObj();
    iptc.ParseIPTC();
    for (int i = 0; i < iptc.Count(); ++i)
        printLine(iptc.GetEntry(i).name, iptc.GetEntry(i).value);
    return 0;
}

// Each file in turn; a failure is reported and the next file is taken.
int setIptc(const std::vector<std::string>& args) {
    if (args.size() < 3)
        throw UsageError("iptc-set");
    int status = 0;
    for (size_t i = 2; i < args.size(); ++i) {
        try {
            WriteIPTCFieldToFile(existingFile(args[i]), args[0], args[1]);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "orvella-tool iptc-set: %s\n", error.what());
            status = 1;
        }
    }
    return status;
}

int printExif(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("exif");
    for (const auto& [name, value] : ExifGridRows(existingFile(args[0])))
        printLine(name, value);
    return 0;
}

int clearExif(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("clear-exif");
    ClearExifInFile(existingFile(args[0]));
    return 0;
}

ToolVerbRegistration iptcVerb{{"iptc", "FILE", printIptc}};
ToolVerbRegistration iptcSetVerb{{"iptc-set", "NAME VALUE FILE...", setIptc}};
ToolVerbRegistration exifVerb{{"exif", "FILE", printExif}};
ToolVerbRegistration clearExifVerb{{"clear-exif", "FILE", clearExif}};

} // namespace

} // namespace orvella::tool
