#include "metadata/ImageInfoEditor.h"

#include "catalogue/KeywordText.h"
#include "catalogue/PendingWrites.h"
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "files/FileKinds.h"
#include "files/FileOperations.h"
#include "metadata/CommaText.h"
#include "metadata/ExifGrid.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"
#include "metadata/JpegImage.h"
#include "shell/IgnoredError.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/Progress.h"

#include <sys/stat.h>

#include <algorithm>
#include <unordered_set>

namespace orvella {

namespace fs = std::filesystem;

namespace {

constexpr const char* kKeywords = "Keywords";

bool fileExists(const fs::path& file) {
    std::error_code error;
    return fs::exists(file, error);
}

bool knownDataset(std::string_view name) {
    const auto& table = TIPTCdata::DatasetTable();
    return std::any_of(table.begin(), table.end(), [&](const TTagEntry& row) {
        return row.name.size() == name.size() &&
               std::equal(row.name.begin(), row.name.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
               });
    });
}

void requireKnownDataset(std::string_view name) {
    if (!knownDataset(name))
        throw std::invalid_argument("unknown IPTC dataset name " + std::string(name));
}

// Reads the file's IPTC block into data; when the file has none, an empty
// block is started. Gives true when the file had one.
bool openIptc(TimgData& data, const fs::path& file) {
    if (data.ProcessFile(file) && data.IptcObj() != nullptr) {
        data.IptcObj()->ParseIPTC();
        return true;
    }
    data.ProcessFile(file);
    data.CreateEmptyIPTC();
    return false;
}

// Reads the file once, lets edit change its IPTC block (edit is told whether
// the file had one), and writes the file back from the bytes it read.
template <class Edit> void rewriteIptc(const fs::path& file, Edit&& edit) {
    TimgData data;
    if (!hasJpegExtension(file)) {
        bool had = openIptc(data, file);
        edit(*data.IptcObj(), had);
        data.IptcObj()->WriteIPTCFile(file);
        return;
    }
    TJpegImage image = TJpegImage::Load(file);
    bool had = data.ReadJpegSections(image.Bytes()) && data.IptcObj() != nullptr;
    if (had)
        data.IptcObj()->ParseIPTC();
    else
        data.CreateEmptyIPTC();
    edit(*data.IptcObj(), had);
    data.IptcObj()->StoreInOwner();
    data.WriteJpegFile(image, file, true);
}

// The file's keywords as single items, in their order.
std::vector<std::string> fileKeywords(TIPTCdata& iptc) {
    std::vector<std::string> keywords;
    int index = iptc.FindTag(kKeywords);
    if (index < 0)
        return keywords;
    for (const std::string& item : parseCommaText(iptc.GetEntry(index).value))
        if (std::string keyword = TrimKeyword(item); !keyword.empty())
            keywords.push_back(std::move(keyword));
    return keywords;
}

// Runs one file's write; any failure becomes the error that names the file.
template <class Work> void writingFile(const fs::path& file, Work&& work) {
    try {
        work();
    } catch (const EImageWriteError&) {
        throw;
    } catch (const EDeferredWriteError& error) {
        // an earlier file of the series, completed only now
        EImageWriteError failure(error.file(), error.what());
        logAlways(failure.what());
        throw failure;
    } catch (const std::exception& error) {
        EImageWriteError failure(file, error.what());
        logAlways(failure.what());
        throw failure;
    }
}

} // namespace

void FileWriteSeries::finish() {
    try {
        batch_.finish();
    } catch (const EDeferredWriteError& error) {
        EImageWriteError failure(error.file(), error.what());
        logAlways(failure.what());
        throw failure;
    }
}

EImageWriteError::EImageWriteError(fs::path file, std::string reason)
    : std::runtime_error("Could not write " + file.string() + ": " + reason),
      file_(std::move(file)), reason_(std::move(reason)) {}

bool IsMetadataFile(const fs::path& file) {
    return IsJpegFile(file.string()) || IsTiffFile(file.string());
}

std::string KeywordCommaText(const std::vector<std::string>& keywords) {
    std::string text;
    for (const std::string& keyword : keywords) {
        if (!text.empty())
            text += ',';
        if (keyword.find_first_of(",\"") == std::string::npos) {
            text += keyword;
            continue;
        }
        text += '"';
        for (char c : keyword) {
            if (c == '"')
                text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}

ImageInfoEditor::ImageInfoEditor(TStockDBObject& catalogue, const TOptionsCache* options)
    : catalogue_(catalogue), options_(options) {}

ImageInfoFields ImageInfoEditor::ReadInfoFields(const fs::path& file) {
    ImageInfoFields fields;
    if (!IsMetadataFile(file) || !fileExists(file))
        return fields;
    TimgData data;
    if (!data.ProcessFile(file) || data.IptcObj() == nullptr)
        return fields;
    TIPTCdata& iptc = *data.IptcObj();
    iptc.ParseIPTC();
    struct Field {
        const char* dataset;
        std::string ImageInfoFields::*member;
        const char* logLine;
    };
    static constexpr Field kFields[] = {
        {"ImageCaption", &ImageInfoFields::description, "Found image description"},
        {"ObjectName", &ImageInfoFields::name, "Found image caption"},
        {"Copyright", &ImageInfoFields::copyright, "Copyright found"},
        {"Contact", &ImageInfoFields::contact, "Contact data found"},
    };
    for (const Field& field : kFields) {
        int index = iptc.FindTag(field.dataset);
        if (index < 0)
            continue;
        fields.*field.member = iptc.GetEntry(index).value;
        logGuarded(field.logLine);
    }
    return fields;
}

std::vector<IptcGridRow> ImageInfoEditor::IptcGridRows(const fs::path& file) {
    std::vector<IptcGridRow> rows;
    logGuarded("clear grid");
    if (!fileExists(file))
        return rows;
    TimgData data;
    if (data.ProcessFile(file) && data.IptcObj() != nullptr) {
        logGuarded("IPTC found");
        TIPTCdata& iptc = *data.IptcObj();
        iptc.ParseIPTC();
        for (int i = 0; i < iptc.Count(); ++i) {
            TTagEntry entry = iptc.GetEntry(i);
            logGuarded("add IPTC tag " + entry.description);
            rows.emplace_back(entry.description, entry.value);
        }
    }
    if (rows.empty())
        rows.emplace_back("IPTC data", "No IPTC data");
    return rows;
}

// The read-only attribute is cleared when ClearRO allows; when that fails
// the write itself reports the file.
void ImageInfoEditor::prepareForWriting(const fs::path& file) const {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || (status.st_mode & S_IWUSR) != 0)
        return;
    if (options_ == nullptr || !options_->GetOption("ClearRO").toBool())
        return;
    if (::chmod(file.c_str(), status.st_mode | S_IWUSR) != 0)
        logGuarded("Cannot clear the read-only attribute of " + file.string());
}

void ImageInfoEditor::WriteIPTCField(const std::vector<TImageData>& selection,
                                     std::string_view name, std::string_view value) {
    requireKnownDataset(name);
    FileWriteSeries series;
    for (const TImageData& item : selection) {
        fs::path file = item.FullName;
        if (!IsMetadataFile(file))
            continue;
        writingFile(file, [&] {
            prepareForWriting(file);
            TimgData data;
            openIptc(data, file);
            TIPTCdata& iptc = *data.IptcObj();
            int index = iptc.FindTag(name);
            if (index < 0) {
                iptc.SetTag(name, value);
            } else {
                TTagEntry entry = iptc.GetEntry(index);
                entry.value = std::string(value);
                iptc.PutEntry(index, entry);
            }
            iptc.WriteIPTCFile(file);
        });
    }
    series.finish();
}

void ImageInfoEditor::WriteIPTCFieldToFile(const fs::path& file, std::string_view name,
                                           std::string_view value) {
    requireKnownDataset(name);
    writingFile(file, [&] {
        prepareForWriting(file);
        TimgData data;
        openIptc(data, file);
        data.IptcObj()->SetTag(name, value);
        data.IptcObj()->WriteIPTCFile(file);
    });
}

std::string ImageInfoEditor::keywordValue(const std::string& key) {
    std::vector<std::string> keywords;
    for (const std::string& keyword : catalogue_.GetImageKeywords(key)) {
        std::string trimmed = TrimKeyword(keyword);
        if (!trimmed.empty())
            keywords.push_back(std::move(trimmed));
    }
    return KeywordCommaText(keywords);
}

// Each of the file's keyword items becomes one catalogue keyword, blanks
// and punctuation kept, so that writing the list back loses nothing.
void ImageInfoEditor::addFileKeywords(const std::string& commaText, const std::string& key) {
    for (const std::string& item : parseCommaText(commaText)) {
        std::string keyword = TrimKeyword(item);
        if (!keyword.empty())
            catalogue_.AddKeywordToImage(key, catalogue_.GetOrCreateKeyword(keyword));
    }
}

void ImageInfoEditor::SaveKeywordsToFile(const fs::path& file, const std::string& key, bool merge) {
    UpdateImageKeywords(file, key, merge, [] {});
}

void ImageInfoEditor::UpdateImageKeywords(const fs::path& file, const std::string& key, bool merge,
                                          const std::function<void()>& change, bool fileFirst) {
    logGuarded("Save keywords for");
    if (!IsMetadataFile(file) || key.empty() || !fileExists(file)) {
        change();
        return;
    }
    writingFile(file, [&] {
        prepareForWriting(file);
        TFileWriteStep step(catalogue_.Connection(), file, key);
        rewriteIptc(file, [&](TIPTCdata& iptc, bool hadIptc) {
            auto joinFileKeywords = [&] {
                for (const std::string& keyword : fileKeywords(iptc))
                    catalogue_.AddKeywordToImage(key, catalogue_.GetOrCreateKeyword(keyword));
            };
            if (merge && fileFirst)
                joinFileKeywords();
            change();
            if (merge && !fileFirst)
                joinFileKeywords();
            int index = iptc.FindTag(kKeywords);
            if (index < 0) {
                logGuarded(hadIptc ? "Add or append keywords tag. Writing data..."
                                   : "Create Keywords tag and write data...");
                iptc.SetTag(kKeywords, keywordValue(key));
            } else {
                logGuarded("Keywords tag exists");
                TTagEntry entry = iptc.GetEntry(index);
                entry.value = keywordValue(key);
                iptc.PutEntry(index, entry);
            }
        });
        step.commit();
        logGuarded("done");
    });
}

void ImageInfoEditor::SettleInterruptedChanges(TStockDBObject& catalogue) {
    SettleInterruptedMoves(catalogue);
    for (const PendingWrite& pending : PendingWrites(catalogue.Connection())) {
        if (!pending.target.empty())
            continue;
        fs::path file = pending.file;
        if (!fileExists(file) || !IsMetadataFile(file)) {
            ForgetPendingWrite(catalogue.Connection(), pending.file);
            continue;
        }
        std::vector<std::string> keywords;
        {
            TimgData data;
            if (data.ProcessFile(file) && data.IptcObj() != nullptr) {
                data.IptcObj()->ParseIPTC();
                keywords = fileKeywords(*data.IptcObj());
            }
        }
        std::string key =
            catalogue.ImageKeyAt(file.parent_path().string(), file.filename().string());
        if (key.empty())
            key = pending.key;
        TFileWriteStep settle(catalogue.Connection(), file, key);
        catalogue.ClearImageKeywords(key);
        for (const std::string& keyword : keywords)
            catalogue.AddKeywordToImage(key, catalogue.GetOrCreateKeyword(keyword));
        settle.commit();
        logAlways("An interrupted rewrite of " + file.string() +
                  " was settled: the catalogue now holds the file's keywords");
    }
}

void ImageInfoEditor::ImportFileKeywords(const fs::path& file, const std::string& key) {
    if (!IsMetadataFile(file) || key.empty() || !fileExists(file))
        return;
    TimgData data;
    if (!data.ProcessFile(file) || data.IptcObj() == nullptr)
        return;
    data.IptcObj()->ParseIPTC();
    int index = data.IptcObj()->FindTag(kKeywords);
    if (index < 0)
        return;
    logGuarded("Keywords tag found");
    addFileKeywords(data.IptcObj()->GetEntry(index).value, key);
}

namespace {

// The keyword ids of an image in its order.
std::vector<std::string> keywordIds(TCatalogueConnection& connection, const std::string& key) {
    TQuery query(connection);
    query.SetSQL("select KEYWORD_ID from IMAGE_KEYWORD where MD5 = " + QuotedStr(key) +
                 " order by ORDER_ID");
    query.Open();
    std::vector<std::string> ids;
    for (; !query.Eof(); query.Next())
        ids.push_back(query.FieldByName("KEYWORD_ID").AsString());
    return ids;
}

struct KeywordList {
    std::vector<std::string> ids;
    std::unordered_set<std::string> members;
    bool has(const std::string& id) const { return members.count(id) > 0; }
    void add(const std::string& id) {
        ids.push_back(id);
        members.insert(id);
    }
};

} // namespace

// Joins every pair of selected images as the catalogue's MergeImageKeywords
// does (each takes the keywords of the other that it lacks, at the end of its
// order). The pairs are worked out in memory and only the additions reach the
// catalogue, so a large selection costs one statement per added keyword
// instead of a pair of reads for each of its n x n pairs.
void ImageInfoEditor::Synchronize(const std::vector<TImageData>& selection, Progress& progress) {
    if (selection.size() < 2)
        return;
    std::vector<const TImageData*> images;
    for (const TImageData& item : selection)
        if (!item.MD5.empty())
            images.push_back(&item);
    std::vector<KeywordList> lists(images.size());
    for (size_t i = 0; i < images.size(); ++i)
        for (const std::string& id : keywordIds(catalogue_.Connection(), images[i]->MD5))
            lists[i].add(id);

    std::vector<std::pair<size_t, std::string>> additions;
    for (size_t a = 0; a < images.size(); ++a) {
        for (size_t b = 0; b < images.size(); ++b) {
            if (a == b || images[a]->MD5 == images[b]->MD5)
                continue;
            // Both lists as they were before this pair: additions only append.
            size_t firstSize = lists[a].ids.size(), secondSize = lists[b].ids.size();
            for (size_t k = 0; k < secondSize; ++k) {
                const std::string& id = lists[b].ids[k];
                if (!lists[a].has(id)) {
                    lists[a].add(id);
                    additions.emplace_back(a, id);
                }
            }
            for (size_t k = 0; k < firstSize; ++k) {
                const std::string& id = lists[a].ids[k];
                if (!lists[b].has(id)) {
                    lists[b].add(id);
                    additions.emplace_back(b, id);
                }
            }
            if (hasAppLog() && appLog().LogEnabled())
                logGuarded(images[a]->MD5 + " (" + images[a]->FileName + ") and " + images[b]->MD5 +
                           " (" + images[b]->FileName + ") synchronized");
        }
    }

    // Each file takes its additions with its own rewrite, so the catalogue
    // changes only for the files written.
    ProgressScope scope(progress, static_cast<int>(selection.size()) - 1);
    for (size_t i = 0; i < images.size(); ++i) {
        UpdateImageKeywords(images[i]->FullName, images[i]->MD5, true, [&] {
            for (const auto& [image, id] : additions)
                if (image == i)
                    catalogue_.AddKeywordToImage(images[image]->MD5, id);
        });
        logGuarded("Keywords for " + images[i]->MD5 + " saved");
        scope.step(static_cast<int>(i));
    }
    logGuarded("Keywords sychronized");
}

int ImageInfoEditor::ClearExif(const std::vector<TImageData>& selection, Progress& progress) {
    if (selection.empty())
        return 0;
    ProgressScope scope(progress, static_cast<int>(selection.size()) - 1);
    int cleared = 0;
    for (size_t i = 0; i < selection.size(); ++i) {
        fs::path file = selection[i].FullName;
        if (IsMetadataFile(file) && fileExists(file))
            ignoringErrors("Clear EXIF tags", [&] { cleared += ClearExifInFile(file) ? 1 : 0; });
        scope.step(static_cast<int>(i));
    }
    return cleared;
}

} // namespace orvella
