// states, state-set and comment-set: the submission states of images at the
// enabled stocks, read and changed as the state grid does, on the catalogue
// beside the tool.
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "shell/Folders.h"
#include "shell/Progress.h"
#include "shell/Prompts.h"
#include "tool/CommandLinePrompts.h"
#include "tool/ToolVerbs.h"
#include "upload/SubmissionStates.h"

#include <cstdio>

namespace orvella::tool {

namespace {

namespace fs = std::filesystem;

class SilentProgress : public Progress {
protected:
    void showWindow(int) override {}
    void setPosition(int) override {}
    void hideWindow() override {}
};

// The catalogue beside the tool with the states' rules on it.
struct StateSession {
    explicit StateSession(bool answer)
        : connection(programFolderFromEnvironment() / TCatalogueConnection::kFileName),
          catalogue(connection), prompts(answer, true),
          states(catalogue, prompts, progress, catalogue.GetStocks(true)) {
        catalogue.SetPrompts(&prompts);
        catalogue.SetProgress(&progress);
    }

    int32_t stockId(const std::string& name) const {
        for (const TStock& stock : states.Stocks())
            if (stock.Name == name)
                return stock.StockId;
        throw std::runtime_error("no enabled stock " + name);
    }

    // The image a path names: its catalogue row by name and folder, so a
    // file that is gone can still be named; a file on disk that is not
    // catalogued is registered first.
    TImageData image(const std::string& argument) {
        fs::path path = fs::absolute(argument).lexically_normal();
        std::string name = path.filename().string();
        std::string folder = path.parent_path().string();
        TImageData image;
        image.FileName = name;
        image.FilePath = folder;
        image.FullName = path.string();
        TQuery query(connection);
        query.SetSQL("select * from IMAGES where FileName = " + QuotedStr(name) +
                     " and FilePath = " + QuotedStr(folder));
        query.Open();
        if (!query.Eof()) {
            image.MD5 = query.FieldByName("MD5").AsString();
            image.FileSize = query.FieldByName("FileSize").AsInteger();
            return image;
        }
        std::error_code error;
        if (!fs::is_regular_file(path, error))
            throw std::runtime_error("not in the catalogue: " + path.string());
        THashData file = ReadHashData(path);
        file.MD5 = FileMD5(path);
        // A copy of a catalogued image shares its key and so its states.
        if (catalogue.GetImagePath(file.MD5).empty())
            catalogue.AddImage(file);
        image.MD5 = file.MD5;
        image.FileSize = file.FileSize;
        return image;
    }

    TCatalogueConnection connection;
    TStockDBObject catalogue;
    CommandLinePrompts prompts;
    SilentProgress progress;
    SubmissionStates states;
};

int printStates(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("one file expected");
    StateSession session(false);
    TImageData image = session.image(args[0]);
    for (const StockStateRow& row : session.states.ShowStates(image.MD5))
        std::printf("%s\t%s\t%s\n", row.stockName.c_str(), row.stateName.c_str(),
                    row.comment.c_str());
    return 0;
}

// Exit status 2 when the state of some file could not be set.
int setState(const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    bool yes = false;
    for (const std::string& arg : args) {
        if (arg == "--yes")
            yes = true;
        else
            rest.push_back(arg);
    }
    if (rest.size() < 3)
        throw UsageError("a stock, a state and at least one file expected");
    std::optional<int> code = StateCodeOfName(rest[1]);
    if (!code)
        throw std::runtime_error("no state " + rest[1]);
    StateSession session(yes);
    int32_t stockId = session.stockId(rest[0]);
    std::vector<SelectedImage> selection;
    for (size_t i = 2; i < rest.size(); ++i) {
        TImageData image = session.image(rest[i]);
        selection.push_back({image.FileName, image});
    }
    StateSettingOutcome outcome = session.states.SetStockState(stockId, *code, selection);
    return outcome.failed.empty() ? 0 : 2;
}

int setComment(const std::vector<std::string>& args) {
    if (args.size() != 3)
        throw UsageError("a stock, a text and a file expected");
    StateSession session(false);
    int32_t stockId = session.stockId(args[0]);
    TImageData image = session.image(args[2]);
    session.states.SaveComment(image.MD5, stockId, args[1]);
    return 0;
}

ToolVerbRegistration statesVerb{{"states", "FILE", printStates}};
ToolVerbRegistration stateSetVerb{{"state-set", "STOCK STATE [--yes] FILE...", setState}};
ToolVerbRegistration commentSetVerb{{"comment-set", "STOCK TEXT FILE", setComment}};

} // namespace

} // namespace orvella::tool
