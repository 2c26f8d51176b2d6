// Verbs over the IPTC and EXIF code: read, set, show and clear metadata.
#include "tool/ToolVerbs.h"
#include "tool/VerbOutput.h"

#include "metadata/CommaText.h"
#include "metadata/ExifGrid.h"
#include "metadata/FileMetadata.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

namespace orvella::tool {

namespace {

// One NAME=VALUE line; with several files, the file's name and a tab first.
void printLine(const std::string* file, const std::string& name, const std::string& value) {
    std::string line;
    if (file != nullptr)
        line = escapedValue(*file) + "\t";
    line += name + "=" + escapedValue(value) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

const std::filesystem::path& existingFile(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw std::system_error(ENOENT, std::generic_category(), file.string());
    return file;
}

// Runs the work on each file in turn, as the peers do: a failure is
// reported with the verb's name and the next file is taken; the status is 1
// when any file failed. With several files, output lines name their file.
using FileWork = std::function<void(const std::string& file, const std::string* label)>;
int eachFile(const char* verb, const std::vector<std::string>& files, const FileWork& work) {
    int status = 0;
    for (const std::string& file : files) {
        try {
            work(file, files.size() > 1 ? &file : nullptr);
        } catch (const std::exception& error) {
            std::fflush(stdout);
            std::fprintf(stderr, "orvella-tool %s: %s\n", verb, error.what());
            status = 1;
        }
    }
    return status;
}

int printIptc(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("iptc");
    return eachFile("iptc", args, [](const std::string& file, const std::string* label) {
        TimgData data;
        if (!data.ProcessFile(existingFile(file)) || data.IptcObj() == nullptr)
            return;
        TIPTCdata& iptc = *data.IptcObj();
        iptc.ParseIPTC();
        for (int i = 0; i < iptc.Count(); ++i)
            printLine(label, iptc.GetEntry(i).name, iptc.GetEntry(i).value);
    });
}

// "NAME VALUE FILE..." sets one dataset; "NAME VALUE [NAME VALUE]... --
// FILE..." sets several. The separator is the first "--" where a NAME would
// stand, so a value may itself be "--".
struct IptcSetArguments {
    IPTCFieldList fields;
    std::vector<std::string> files;
};

IptcSetArguments iptcSetArguments(const std::vector<std::string>& args) {
    IptcSetArguments parsed;
    size_t separator = 0;
    while (separator < args.size() && args[separator] != "--")
        separator += 2;
    if (separator < args.size()) {
        for (size_t i = 0; i < separator; i += 2)
            parsed.fields.emplace_back(args[i], args[i + 1]);
        parsed.files.assign(args.begin() + static_cast<std::ptrdiff_t>(separator) + 1, args.end());
    } else if (args.size() >= 3) {
        parsed.fields.emplace_back(args[0], args[1]);
        parsed.files.assign(args.begin() + 2, args.end());
    }
    // A "--" among the files means the pairs before it were odd in number.
    bool strayDashes =
        std::find(parsed.files.begin(), parsed.files.end(), "--") != parsed.files.end();
    if (parsed.fields.empty() || parsed.files.empty() || strayDashes)
        throw UsageError("iptc-set");
    return parsed;
}

// Each file is rewritten once, whatever the number of fields.
int setIptc(const std::vector<std::string>& args) {
    IptcSetArguments parsed = iptcSetArguments(args);
    return eachFile("iptc-set", parsed.files, [&](const std::string& file, const std::string*) {
        WriteIPTCFieldsToFile(existingFile(file), parsed.fields);
    });
}

int printExif(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("exif");
    return eachFile("exif", args, [](const std::string& file, const std::string* label) {
        for (const auto& [name, value] : ExifGridRows(existingFile(file)))
            printLine(label, name, value);
    });
}

int clearExif(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("clear-exif");
    return eachFile("clear-exif", args, [](const std::string& file, const std::string*) {
        ClearExifInFile(existingFile(file));
    });
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
ToolVerbRegistration iptcVerb{{"iptc", "FILE...", printIptc}};
ToolVerbRegistration iptcSetVerb{
    {"iptc-set", "NAME VALUE FILE... | NAME VALUE [NAME VALUE]... -- FILE...", setIptc}};
ToolVerbRegistration exifVerb{{"exif", "FILE...", printExif}};
ToolVerbRegistration clearExifVerb{{"clear-exif", "FILE...", clearExif}};

} // namespace

} // namespace orvella::tool
