#include "metadata/IptcPatterns.h"

#include "catalogue/KeywordText.h"
#include "catalogue/PendingWrites.h"
#include "catalogue/StockDB.h"
#include "files/FileKinds.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"
#include "metadata/JpegImage.h"
#include "shell/AtomicFile.h"
#include "shell/Log.h"
#include "shell/Progress.h"
#include "shell/Prompts.h"
#include "shell/TextUtil.h"

#include <pugixml.hpp>

#include <cerrno>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace orvella {

namespace {

constexpr const char* kReplaceQuestion =
    "This tag already exists in the pattern. Do you wish to replace the tag?";

std::string trimmedBlanks(std::string_view text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string withoutBlanks(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ')
            out.push_back(c);
    return out;
}

// Line breaks as CR LF, whatever the typed text used.
std::string withCrLf(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' || text[i] == '\r')
            out += "\r\n";
        else
            out.push_back(text[i]);
    }
    return out;
}

// The length of the file's head: SOI and every segment up to and including
// the first scan header. The metadata reader and the rewrite look at nothing
// beyond it, so repeated rewrites can be worked out on the head alone and
// the picture data written once. Zero when the segments cannot be walked.
size_t headLength(std::string_view jpeg) {
    if (jpeg.size() < 4 || static_cast<unsigned char>(jpeg[0]) != 0xFF ||
        static_cast<unsigned char>(jpeg[1]) != 0xD8)
        return 0;
    size_t position = 2;
    while (position + 4 <= jpeg.size()) {
        if (static_cast<unsigned char>(jpeg[position]) != 0xFF)
            return 0;
        while (position + 1 < jpeg.size() && static_cast<unsigned char>(jpeg[position + 1]) == 0xFF)
            ++position;
        if (position + 4 > jpeg.size())
            return 0;
        auto type = static_cast<unsigned char>(jpeg[position + 1]);
        if (type == 0xD9 || (type >= 0xD0 && type <= 0xD7) || type == 0x01)
            return 0;
        size_t length = static_cast<unsigned char>(jpeg[position + 2]) * 256u +
                        static_cast<unsigned char>(jpeg[position + 3]);
        if (length < 2)
            return 0;
        position += 2 + length;
        if (type == 0xDA)
            return position <= jpeg.size() ? position : 0;
    }
    return 0;
}

// One read-change-rewrite of a JPEG held in memory, as a metadata write of
// one field does it on disk: the IPTC block is parsed, or made empty when the
// file has none, changed, and the file composed anew from its segments.
std::string rewriteOnce(const std::string& jpeg, const std::function<void(TIPTCdata&)>& change) {
    TJpegImage image = TJpegImage::FromBytes(jpeg);
    TimgData data;
    if (data.ReadJpegSections(jpeg) && data.IptcObj() != nullptr) {
        data.IptcObj()->ParseIPTC();
    } else {
        data.ReadJpegSections(jpeg);
        data.CreateEmptyIPTC();
    }
    change(*data.IptcObj());
    data.IptcObj()->StoreInOwner();
    return data.ComposeJpeg(image, true);
}

// The catalogue's keyword list written into the block, after the file's own
// keywords were added to the catalogue (the merge).
void saveCatalogueKeywords(TIPTCdata& iptc, const std::string& key, TStockDBObject& catalogue) {
    int index = iptc.FindTag("Keywords");
    if (index < 0) {
        logGuarded("Add or append keywords tag. Writing data...");
        iptc.SetTag("Keywords", catalogue.GetImageKeywordLine(key));
        logGuarded("done");
        return;
    }
    logGuarded("Keywords tag exists");
    TTagEntry entry = iptc.GetEntry(index);
    catalogue.AddKeywordTextAndList(entry.value, key);
    entry.value = catalogue.GetImageKeywordLine(key);
    iptc.PutEntry(index, entry);
}

// Gives the owner write permission when asked to; a failure is left for the
// write to report.
void prepareForWriting(const fs::path& file, bool clearReadOnly) {
    if (!clearReadOnly)
        return;
    std::error_code error;
    fs::perms mode = fs::status(file, error).permissions();
    if (!error && (mode & fs::perms::owner_write) == fs::perms::none)
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
}

void refuseReadOnly(const fs::path& file) {
    std::error_code error;
    fs::perms mode = fs::status(file, error).permissions();
    if (error)
        throw std::system_error(error, file.string());
    if ((mode & fs::perms::owner_write) == fs::perms::none)
        throw std::system_error(EACCES, std::generic_category(), file.string() + " is read-only");
}

} // namespace

const std::vector<std::string>& TIptcPattern::DatasetItems() {
    static const std::vector<std::string> items = {
        "ObjectName (Caption)",
        "Keywords (Keywords)",
        "ImageCaption (Description)",
        "Copyright (Copyright Notice)",
        "Contact (Contact)",
        "City (City)",
        "SubLocation (Sublocation)",
        "State (Province/State)",
        "LocationCode (Country/Primary Location Code)",
        "LocationName (Country/Primary Location Name)",
        "ContentLocName (Content Location Name)",
        "ImageCaptionWriter (Image caption writer)",
    };
    return items;
}

std::string TIptcPattern::DatasetNameOfItem(std::string_view item) {
    return trimmedBlanks(item.substr(0, item.find('(')));
}

std::string TIptcPattern::RowValue(std::string_view name, std::string_view typed) {
    std::string value = withCrLf(typed);
    if (toUpperAscii(std::string(name)) != "KEYWORDS")
        return value;
    std::string joined;
    int count = WordCount(value, KeywordSeparators());
    for (int n = 1; n <= count; ++n) {
        if (n > 1)
            joined += ',';
        joined += TrimKeyword(ExtractWord(n, value, KeywordSeparators()));
    }
    return joined;
}

TIptcPattern::AddResult TIptcPattern::AddTag(std::string_view item, std::string_view typed,
                                             Prompts& prompts) {
    std::string name = DatasetNameOfItem(item);
    std::string value = RowValue(name, typed);
    for (TPatternRow& row : rows_) {
        if (row.name != name)
            continue;
        if (!prompts.confirm(kReplaceQuestion))
            return AddResult::Kept;
        row.value = value;
        return AddResult::Replaced;
    }
    rows_.push_back({name, value});
    return AddResult::Appended;
}

void TIptcPattern::DeleteRow(int index) {
    if (index >= 0 && static_cast<size_t>(index) < rows_.size())
        rows_.erase(rows_.begin() + index);
}

void TIptcPattern::AppendRow(std::string name, std::string value) {
    rows_.push_back({std::move(name), std::move(value)});
}

std::string TIptcPattern::ValueOf(std::string_view name) const {
    for (const TPatternRow& row : rows_)
        if (row.name == name)
            return row.value;
    return {};
}

std::string TIptcPattern::ToXml() const {
    pugi::xml_document document;
    pugi::xml_node tags = document.append_child("IPTCPattern").append_child("Tags");
    for (const TPatternRow& row : rows_) {
        std::string value = ValueOf(row.name);
        if (value.empty())
            continue;
        pugi::xml_node tag = tags.append_child("Tag");
        tag.append_attribute("KeyValue").set_value(value.c_str());
        tag.append_attribute("Key").set_value(row.name.c_str());
    }
    std::ostringstream out;
    document.save(out, "  ", pugi::format_indent | pugi::format_no_declaration,
                  pugi::encoding_utf8);
    return std::move(out).str();
}

void TIptcPattern::SaveToFile(const fs::path& file) const {
    replaceFileAtomically(file, ToXml());
}

void TIptcPattern::LoadFromXml(std::string_view xml) {
    rows_.clear();
    pugi::xml_document document;
    pugi::xml_parse_result result = document.load_buffer(xml.data(), xml.size());
    if (!result)
        throw EPatternError(std::string(result.description()) + " at offset " +
                            std::to_string(result.offset));
    pugi::xml_node root = document.document_element();
    for (pugi::xml_node tags : root.children("Tags"))
        for (pugi::xml_node tag : tags.children("Tag"))
            AppendRow(tag.attribute("Key").value(), tag.attribute("KeyValue").value());
}

void TIptcPattern::LoadFromFile(const fs::path& file) {
    rows_.clear();
    std::string xml = readWholeFile(file);
    try {
        LoadFromXml(xml);
    } catch (const EPatternError& error) {
        throw EPatternError(file.string() + ": " + error.what());
    }
}

void TIptcPattern::FillFromFile(const fs::path& file) {
    rows_.clear();
    TimgData data;
    if (!data.ProcessFile(file) || data.IptcObj() == nullptr)
        return;
    TIPTCdata& iptc = *data.IptcObj();
    iptc.ParseIPTC();
    for (int i = 0; i < iptc.Count(); ++i) {
        TTagEntry entry = iptc.GetEntry(i);
        AppendRow(entry.name, entry.value);
    }
}

void TIptcPattern::ApplyToFile(const fs::path& file, const std::string& key,
                               TStockDBObject* catalogue, bool clearReadOnly) const {
    prepareForWriting(file, clearReadOnly);
    refuseReadOnly(file);
    std::string content = readWholeFile(file);
    size_t head = headLength(content);
    if (head == 0)
        head = content.size(); // not walkable: work on the whole file
    std::string jpeg = content.substr(0, head);
    std::string_view body = std::string_view(content).substr(head);
    TJpegImage::FromBytes(content.substr(0, head)); // the decoder's verdict before any change

    // The catalogue's keyword changes are committed only once the file holds them.
    std::optional<TFileWriteStep> step;
    if (catalogue != nullptr && !key.empty())
        step.emplace(catalogue->Connection(), file, key);
    for (const TPatternRow& row : rows_) {
        std::string name = withoutBlanks(row.name);
        std::string value = ValueOf(row.name);
        // A name outside the dataset table sets nothing; the block is still
        // rebuilt, as a write of that field would.
        jpeg = rewriteOnce(jpeg, [&](TIPTCdata& iptc) { iptc.SetTag(name, value); });
        if (toLowerAscii(row.name) != "keywords" || catalogue == nullptr || key.empty())
            continue;
        logGuarded("Save keywords for");
        jpeg = rewriteOnce(jpeg,
                           [&](TIPTCdata& iptc) { saveCatalogueKeywords(iptc, key, *catalogue); });
    }
    replaceFileAtomically(file, {jpeg, body});
    if (step)
        step->commit();
}

void TIptcPattern::ApplyToSelection(const std::vector<TPatternTarget>& targets,
                                    TStockDBObject* catalogue, Progress& progress,
                                    bool clearReadOnly) const {
    ProgressScope scope(progress, static_cast<int>(targets.size()) - 1);
    for (size_t i = 0; i < targets.size(); ++i) {
        const std::string path = targets[i].file.string();
        if (IsJpegFile(path) || IsTiffFile(path))
            ApplyToFile(targets[i].file, targets[i].key, catalogue, clearReadOnly);
        scope.step(static_cast<int>(i));
    }
}

fs::path EnsurePatternsFolder(const fs::path& programFolder) {
    fs::path folder = programFolder / "Patterns";
    fs::create_directories(folder);
    return folder;
}

} // namespace orvella
