// view: what the file list would show for a category, a stock, the uploads
// or a search, read from the catalogue beside the tool.
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "catalogue/StockDB.h"
#include "files/CatalogueViews.h"
#include "shell/Folders.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "tool/ToolVerbs.h"

#include <cstdio>
#include <map>

namespace orvella::tool {

namespace {

// Collects the view and prints it once complete: each group's caption line,
// then its items, each as its caption, a tab and its image key.
class PrintedView : public CatalogueViewListing {
public:
    void beginView() override { items_.clear(); }
    void setGroups(const std::vector<ViewGroup>&) override {}
    void addItems(int group, std::vector<ViewItem> items) override {
        std::vector<ViewItem>& list = items_[group];
        for (ViewItem& item : items)
            list.push_back(std::move(item));
    }
    void finishView(const std::vector<ViewGroup>& groups) override {
        for (size_t group = 0; group < groups.size(); ++group) {
            std::printf("# %s\n", groups[group].caption.c_str());
            for (const ViewItem& item : items_[static_cast<int>(group)])
                std::printf("%s\t%s\n", item.caption.c_str(), item.data.MD5.c_str());
        }
    }

private:
    std::map<int, std::vector<ViewItem>> items_;
};

std::string categoryIdOf(TCatalogueConnection& connection, const std::string& name) {
    TQuery query(connection);
    query.SetSQL("select CATEGORY_ID from CATEGORY where CNAME = " + QuotedStr(name));
    query.Open();
    if (query.Eof())
        throw std::runtime_error("no category " + name);
    return query.FieldByName("CATEGORY_ID").AsString();
}

CatalogueViewSettings viewSettings(const std::vector<std::string>& args,
                                   TCatalogueConnection& connection) {
    if (args.empty())
        throw UsageError("a view kind expected");
    CatalogueViewSettings settings;
    const std::string& kind = args[0];
    size_t wanted = kind == "uploads" ? 1 : 2;
    if (args.size() != wanted)
        throw UsageError("wrong argument count for " + kind);
    if (kind == "category") {
        settings.mode = CatalogueViewMode::Category;
        settings.categoryId = categoryIdOf(connection, args[1]);
    } else if (kind == "stock") {
        settings.mode = CatalogueViewMode::Stock;
        settings.stockId = TStockDBObject(connection).GetStockId(args[1]);
        if (settings.stockId < 0)
            throw std::runtime_error("no stock " + args[1]);
    } else if (kind == "uploads") {
        settings.mode = CatalogueViewMode::Uploads;
    } else if (kind == "search") {
        settings.mode = CatalogueViewMode::Search;
        settings.searchText = args[1];
    } else {
        throw UsageError("unknown view kind " + kind);
    }
    return settings;
}

int showView(const std::vector<std::string>& args) {
    std::filesystem::path folder = programFolderFromEnvironment();
    TCatalogueConnection connection(folder / TCatalogueConnection::kFileName);
    CatalogueViewSettings settings = viewSettings(args, connection);
    SettingsStore store(folder, registryFileFromEnvironment());
    settings.hideMissing = store.read().boolean(kOptionsSection, "HideMissingFiles", false);
    PrintedView view;
    TFilterProcessor(connection, settings, view).Execute();
    return 0;
}

ToolVerbRegistration viewVerb{
    {"view", "category NAME | stock NAME | uploads | search TEXT", showView}};

} // namespace

} // namespace orvella::tool
