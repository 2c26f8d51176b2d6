#include "upload/SubmissionStates.h"

#include "files/FileKinds.h"
#include "metadata/IPTCData.h"
#include "shell/Log.h"
#include "shell/Progress.h"
#include "shell/Prompts.h"
#include "upload/UploadList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace orvella {

namespace {

constexpr int kReadyToUpload = 1;
constexpr size_t kCommentLimit = 255;
const char* const kSelectFirst = "You should select a file before set a state!";

std::string trimmed(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return text.substr(first, last - first);
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Vector and archive files carry no IPTC block, so the per-stock setting does
// not ask about it.
bool isExemptFromIptc(const std::string& path) {
    std::string extension = FileExtension(path);
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension == ".ZIP" || extension == ".EPS" || extension == ".PS" || extension == ".AI" ||
           extension == ".SVG";
}

std::string missingQuestion(const std::string& path) {
    return "File " + path +
           " is missing.\n\rDo you want to set `Ready to upload` state all the same?";
}

std::string iptcQuestion(const std::string& path) {
    return "File " + path +
           " has missing or invalid IPTC data.\n\rDo you want to set `Ready to upload` state all "
           "the same?";
}

const char* const kRawQuestion = "Do you want to upload file in RAW format?";

} // namespace

const std::vector<std::string>& StateNames() {
    static const std::vector<std::string> names{"Not ready",     "Ready to upload", "Pending",
                                                "Upload failed", "Rejected",        "Accepted",
                                                "Resubmit",      "Donated"};
    return names;
}

std::string StateNameOfOrdinal(uint8_t ordinal) {
    if (ordinal == 0 || ordinal > StateNames().size())
        return StateNames().front();
    return StateNames()[ordinal - 1];
}

std::optional<int> StateCodeOfName(const std::string& name) {
    const std::vector<std::string>& names = StateNames();
    for (size_t code = 0; code < names.size(); ++code)
        if (equalIgnoringCase(names[code], name))
            return static_cast<int>(code);
    return std::nullopt;
}

const std::vector<GlobalStatusItem>& GlobalStatusItems() {
    static const std::vector<GlobalStatusItem> items{
        {"Not ready", 1, 0, "Shift+Ctrl+F1"}, {"Ready to upload", 2, 1, "Shift+Ctrl+F2"},
        {"Pending", 3, 2, "Shift+Ctrl+F3"},   {"Rejected", 4, 4, "Shift+Ctrl+F4"},
        {"Accepted", 5, 5, "Shift+Ctrl+F5"},  {"Resubmit", 6, 6, "Shift+Ctrl+F6"},
        {"Donated", 7, 7, "Shift+Ctrl+F7"}};
    return items;
}

std::string StoredComment(const std::string& comment) {
    size_t characters = 0;
    for (size_t i = 0; i < comment.size(); ++i) {
        // Count the first byte of each UTF-8 sequence only.
        if ((static_cast<unsigned char>(comment[i]) & 0xC0) != 0x80 && ++characters > kCommentLimit)
            return comment.substr(0, i);
    }
    return comment;
}

SubmissionStates::SubmissionStates(TStockDBObject& catalogue, Prompts& prompts, Progress& progress,
                                   TStockList stocks)
    : catalogue_(catalogue), prompts_(prompts), progress_(progress), stocks_(std::move(stocks)) {}

std::vector<StockStateRow> SubmissionStates::ShowStates(const std::string& key) {
    TStockStates states = key.empty() ? TStockStates{} : catalogue_.GetStates(key);
    std::vector<StockStateRow> rows;
    for (const TStock& stock : stocks_) {
        StockStateRow row{stock.StockId, stock.Name, StateNames().front(), ""};
        auto state = std::find_if(states.begin(), states.end(),
                                  [&](const TStockState& s) { return s.StockId == stock.StockId; });
        if (state != states.end()) {
            row.stateName = StateNameOfOrdinal(state->State);
            row.comment = state->UploadComment;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const TStock* SubmissionStates::stockOf(int32_t stockId) const {
    auto stock = std::find_if(stocks_.begin(), stocks_.end(),
                              [&](const TStock& s) { return s.StockId == stockId; });
    return stock == stocks_.end() ? nullptr : &*stock;
}

// The checks before "Ready to upload", the first that matches deciding. With
// a stock (the per-stock setting) vector files skip the IPTC check and the
// stock's FTP support is checked last; without one (the global command) they
// do not.
bool SubmissionStates::readyChecksPass(const std::string& path, const TStock* stock,
                                       bool exemptVectors) {
    if (!fileExists(path)) {
        if (!prompts_.confirm(missingQuestion(path)))
            return false;
        logAlways("Ready to upload state for missing image " + path);
        return true;
    }
    if (IsRawFile(path)) {
        if (!prompts_.confirm(kRawQuestion))
            return false;
        logAlways("Ready to upload state for RAW image " + path);
        return true;
    }
    if (!HasCompleteIPTC(path) && !(exemptVectors && isExemptFromIptc(path))) {
        if (!prompts_.confirm(iptcQuestion(path)))
            return false;
        logAlways("Ready to upload state for image with absent IPTC data " + path);
        return true;
    }
    if (!stock || stock->FtpEnabled)
        return true;
    if (!prompts_.confirm("Stock " + stock->Name + " doesn't support FTP uploading. " +
                          "Do you want set `Ready to upload` state anyway?"))
        return false;
    logAlways("Ready to upload state for stock without FTP support " + path);
    return true;
}

StateSettingOutcome SubmissionStates::SetStockState(int32_t stockId, int code,
                                                    const std::vector<SelectedImage>& selection) {
    StateSettingOutcome outcome;
    if (selection.empty()) {
        logAlways("No files selected");
        prompts_.showMessage(kSelectFirst);
        return outcome;
    }
    if (!selection.front().image) {
        logAlways("Invalid data for " + selection.front().caption);
        prompts_.showMessage(kSelectFirst);
        return outcome;
    }
    const TStock* stock = stockOf(stockId);
    if (!stock)
        throw std::invalid_argument("stock " + std::to_string(stockId) +
                                    " is not in the stock list");
    outcome.ran = true;
    outcome.lastKey = selection.front().image->MD5;
    ProgressScope progress(progress_, static_cast<int>(selection.size()) - 1);
    for (size_t i = 0; i < selection.size(); ++i) {
        const SelectedImage& entry = selection[i];
        std::string path = entry.image ? entry.image->FullName : entry.caption;
        try {
            if (!entry.image)
                throw std::runtime_error("the entry has no image data");
            if (code != kReadyToUpload) {
                catalogue_.SetState(stockId, entry.image->MD5, static_cast<uint8_t>(code + 1));
            } else {
                logAlways("Try to set Ready to upload state for " + path);
                if (readyChecksPass(path, stock, true))
                    catalogue_.SetState(stockId, entry.image->MD5, static_cast<uint8_t>(code + 1));
            }
        } catch (const std::exception&) {
            logAlways("Set state for image " + path + " failed");
            outcome.failed.push_back(path);
        }
        logAlways("Set state number " + std::to_string(code) + " for image " + path);
        progress.step(static_cast<int>(i));
    }
    reportFailures(outcome.failed);
    return outcome;
}

StateSettingOutcome SubmissionStates::SetGlobalStatus(int tag,
                                                      const std::vector<SelectedImage>& selection) {
    StateSettingOutcome outcome;
    auto item = std::find_if(GlobalStatusItems().begin(), GlobalStatusItems().end(),
                             [&](const GlobalStatusItem& entry) { return entry.tag == tag; });
    if (item == GlobalStatusItems().end())
        throw std::invalid_argument("no global status item has the tag " + std::to_string(tag));
    if (selection.empty())
        return outcome;
    outcome.ran = true;
    ProgressScope progress(progress_, static_cast<int>(selection.size()) - 1);
    for (size_t i = 0; i < selection.size(); ++i) {
        const SelectedImage& entry = selection[i];
        std::string path = entry.image ? entry.image->FullName : entry.caption;
        try {
            if (!entry.image)
                throw std::runtime_error("the entry has no image data");
            if (item->code != kReadyToUpload || readyChecksPass(path, nullptr, false)) {
                for (const TStock& stock : stocks_)
                    catalogue_.SetState(stock.StockId, entry.image->MD5,
                                        static_cast<uint8_t>(item->code + 1));
            }
            outcome.lastKey = entry.image->MD5;
        } catch (const std::exception& error) {
            logAlways("Set state for image " + path + " failed: " + error.what());
            outcome.failed.push_back(path);
        }
        progress.step(static_cast<int>(i));
    }
    reportFailures(outcome.failed);
    return outcome;
}

void SubmissionStates::reportFailures(const std::vector<std::string>& failed) {
    if (failed.empty())
        return;
    std::string text = "The state could not be set for " + std::to_string(failed.size()) +
                       (failed.size() == 1 ? " image:" : " images:");
    for (const std::string& path : failed)
        text += "\n" + path;
    prompts_.showMessage(text);
}

bool SubmissionStates::SaveComment(const std::string& key, int32_t stockId,
                                   const std::string& comment) {
    if (key.empty())
        return false;
    std::string stored;
    for (const TStockState& state : catalogue_.GetStates(key))
        if (state.StockId == stockId)
            stored = state.UploadComment;
    std::string wanted = trimmed(comment);
    if (wanted == trimmed(stored))
        return false;
    catalogue_.SetUploadComment(stockId, key, StoredComment(comment));
    return true;
}

void SubmissionStates::SaveComments(const std::string& key,
                                    const std::vector<std::string>& comments) {
    if (key.empty())
        return;
    for (size_t i = 0; i < comments.size() && i < stocks_.size(); ++i)
        SaveComment(key, stocks_[i].StockId, comments[i]);
}

bool UploadEntryStillReady(TStockDBObject& catalogue, const std::string& groupCaption,
                           const std::string& key) {
    int32_t stockId = catalogue.GetStockId(StockNameOfGroup(groupCaption));
    if (stockId < 0)
        return true;
    return catalogue.GetState(stockId, key) == kReadyToUpload + 1;
}

} // namespace orvella
