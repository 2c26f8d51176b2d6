// The IPTC pattern without a window: "Apply pattern to selected images" on
// the files given, with the catalogue beside the tool.
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "metadata/ImageInfoEditor.h"
#include "metadata/IptcPatterns.h"
#include "shell/Folders.h"
#include "shell/Options.h"
#include "shell/Progress.h"
#include "shell/SettingsStore.h"
#include "tool/ToolVerbs.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace orvella::tool {

namespace {

// The progress window of a command line: nothing to show.
class SilentProgress : public Progress {
protected:
    void showWindow(int) override {}
    void setPosition(int) override {}
    void hideWindow() override {}
};

// The image key the catalogue holds for the file, matched by folder and name
// as the file view matches them; empty without a record.
std::string catalogueKey(TStockDBObject& db, const fs::path& file) {
    fs::path absolute = fs::absolute(file).lexically_normal();
    for (const TFolderImage& image : db.GetFolderImages(absolute.parent_path().string()))
        if (image.FileName == absolute.filename().string())
            return image.MD5;
    return {};
}

int applyPattern(const std::vector<std::string>& args) {
    if (args.size() < 2)
        throw UsageError("a pattern file and at least one image file expected");
    TIptcPattern pattern;
    pattern.LoadFromFile(args[0]);

    fs::path folder = programFolderFromEnvironment();
    TCatalogueConnection connection(folder / TCatalogueConnection::kFileName);
    SettingsStore store(folder, registryFileFromEnvironment());
    TOptionsCache options(store);
    options.LoadOptions();
    TStockDBObject db(connection);
    db.SetOptions(&options);
    ImageInfoEditor::SettleInterruptedChanges(db);

    std::vector<TPatternTarget> targets;
    for (size_t i = 1; i < args.size(); ++i)
        requireFile(args[i]);
    for (size_t i = 1; i < args.size(); ++i)
        targets.push_back({args[i], catalogueKey(db, args[i])});
    SilentProgress progress;
    pattern.ApplyToSelection(targets, &db, progress, options.GetOption("ClearRO").toBool());
    return 0;
}

ToolVerbRegistration patternApplyVerb{{"pattern-apply", "PATTERN.xml FILE...", applyPattern}};

} // namespace

} // namespace orvella::tool
