// Verbs over the IPTC and EXIF code: read, set, show and clear metadata.
#include "tool/ToolVerbs.h"

#include "metadata/CommaText.h"
#include "metadata/ExifGrid.h"
#include "metadata/FileMetadata.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace orvella::tool {

namespace {

// Backslash, CR, LF and other control bytes written so that one value is
// one line.
std::string escapedValue(const std::string& value) {
    std::string out;
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 32) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

void printLine(const std::string& name, const std::string& value) {
    std::string line = name + "=" + escapedValue(value) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

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

std::string shownText(const std::optional<std::string>& value) {
    return value ? escapedValue(*value) : "(none)";
}

std::string shownText(const std::optional<std::vector<std::string>>& items) {
    return items ? escapedValue(toCommaText(*items)) : "(none)";
}

int tableLength(const char* dataset) {
    for (const TTagEntry& row : TIPTCdata::DatasetTable())
        if (row.name == dataset)
            return row.maximumLength;
    return 0;
}

void warnIfLong(std::vector<std::string>& warnings, const char* dataset, const std::string& value) {
    int limit = tableLength(dataset);
    if (limit > 0 && value.size() > static_cast<size_t>(limit))
        warnings.push_back(std::string(dataset) + " value '" + escapedValue(value) + "' is " +
                           std::to_string(value.size()) + " bytes, more than the " +
                           std::to_string(limit) +
                           " of its IPTC dataset (it is still written in full)");
}

// What an IPTC reader and an XMP reader take from the file, side by side with
// the values shown, and where they part.
int printMetadata(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("metadata");
    TFileMetadata file = ReadFileMetadata(existingFile(args[0]));
    std::vector<std::string> warnings;
    std::string out = "field\tIPTC\tXMP\tshown\n";
    auto row = [&](const char* field, const auto& iptc, const auto& xmp, const auto& shown) {
        out += std::string(field) + "\t" + shownText(iptc) + "\t" + shownText(xmp) + "\t" +
               shownText(shown) + "\n";
        if (iptc != xmp && (iptc.has_value() || file.hasIptc) && (xmp.has_value() || file.hasXmp))
            warnings.push_back(std::string(field) + " differs between IPTC and XMP");
        else if (iptc != xmp)
            warnings.push_back(std::string(field) + " is only in " + (iptc ? "IPTC" : "XMP"));
    };
    row("Title", file.iptc.title, file.xmp.title, file.shown.title);
    row("Description", file.iptc.description, file.xmp.description, file.shown.description);
    row("Keywords", file.iptc.keywords, file.xmp.keywords, file.shown.keywords);
    row("Copyright", file.iptc.copyright, file.xmp.copyright, file.shown.copyright);
    static constexpr const char* kDigest[] = {"none", "matches", "differs"};
    out += std::string("IPTC digest\t") + kDigest[static_cast<int>(file.digest)] + "\n";
    if (!file.xmpError.empty())
        warnings.push_back("the XMP packet cannot be read: " + file.xmpError);
    for (const auto& [dataset, value] : {std::pair{"ObjectName", file.shown.title},
                                         std::pair{"ImageCaption", file.shown.description},
                                         std::pair{"Copyright", file.shown.copyright}})
        if (value)
            warnIfLong(warnings, dataset, *value);
    if (file.shown.keywords)
        for (const std::string& keyword : *file.shown.keywords)
            warnIfLong(warnings, "Keywords", keyword);
    for (const std::string& warning : warnings)
        out += "warning: " + warning + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

ToolVerbRegistration metadataVerb{{"metadata", "FILE", printMetadata}};
ToolVerbRegistration iptcVerb{{"iptc", "FILE", printIptc}};
ToolVerbRegistration iptcSetVerb{{"iptc-set", "NAME VALUE FILE...", setIptc}};
ToolVerbRegistration exifVerb{{"exif", "FILE", printExif}};
ToolVerbRegistration clearExifVerb{{"clear-exif", "FILE", clearExif}};

} // namespace

} // namespace orvella::tool
