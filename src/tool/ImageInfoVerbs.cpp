// The "Info" page from the command line: show and write the text fields of
// images, and synchronise their keywords.
#include "tool/ToolCatalogue.h"
#include "tool/ToolVerbs.h"
#include "tool/VerbOutput.h"

#include <cstdio>
#include <map>

namespace orvella::tool {

namespace {

std::vector<std::string> filesFrom(const std::vector<std::string>& args, size_t first) {
    return {args.begin() + static_cast<std::ptrdiff_t>(first), args.end()};
}

int showInfo(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("one file expected");
    ToolCatalogue catalogue;
    TImageData image = catalogue.select(args).front();
    ImageInfoFields fields = ImageInfoEditor::ReadInfoFields(image.FullName);
    printLine("ObjectName", fields.name);
    printLine("ImageCaption", fields.description);
    printLine("Copyright", fields.copyright);
    printLine("Contact", fields.contact);
    catalogue.db().RepairKeywordOrder(image.MD5);
    for (const std::string& keyword : catalogue.db().GetImageKeywords(image.MD5))
        printLine("Keyword", keyword);
    return 0;
}

// The memo ends its lines with CR LF; a value typed with bare line feeds is
// stored the same way.
std::string memoText(const std::string& value) {
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\n' && (i == 0 || value[i - 1] != '\r'))
            text += '\r';
        text += value[i];
    }
    return text;
}

int setInfo(const std::vector<std::string>& args) {
    if (args.size() < 3)
        throw UsageError("field, value and files expected");
    static const std::map<std::string, std::string> datasets = {{"name", "ObjectName"},
                                                                {"description", "ImageCaption"},
                                                                {"copyright", "Copyright"},
                                                                {"contact", "Contact"}};
    auto dataset = datasets.find(args[0]);
    if (dataset == datasets.end())
        throw std::invalid_argument("unknown field " + args[0] +
                                    " (name, description, copyright or contact)");
    std::string value = args[0] == "description" ? memoText(args[1]) : args[1];
    ToolCatalogue catalogue;
    catalogue.editor().WriteIPTCField(catalogue.select(filesFrom(args, 2)), dataset->second, value);
    return 0;
}

int synchronize(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("files expected");
    ToolCatalogue catalogue;
    catalogue.editor().Synchronize(catalogue.select(args), catalogue.progress());
    return 0;
}

ToolVerbRegistration infoVerb{{"info", "FILE", showInfo}};
ToolVerbRegistration infoSetVerb{
    {"info-set", "name|description|copyright|contact VALUE FILE...", setInfo}};
ToolVerbRegistration syncVerb{{"sync", "FILE...", synchronize}};

} // namespace

} // namespace orvella::tool
