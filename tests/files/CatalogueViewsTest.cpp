// The catalogue views: category, stock, uploads and search, filled from the
// catalogue with the files' presence checked and pictures only from the
// preview cache.
#include "files/CatalogueViews.h"
#include "../catalogue/OperationsFixture.h"
#include "files/PreviewCache.h"

#include <gmock/gmock.h>

#include <condition_variable>
#include <mutex>

namespace orvella::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

// Records what a run delivers, as the window would show it.
class RecordedView : public CatalogueViewListing {
public:
    struct Shown {
        std::string caption;
        std::vector<ViewItem> items;
    };
    int begun = 0;
    int batches = 0;
    bool finished = false;
    std::vector<ViewGroup> groups, finalGroups;
    std::map<int, std::vector<ViewItem>> items;

    void beginView() override { ++begun; }
    void setGroups(const std::vector<ViewGroup>& shown) override { groups = shown; }
    void addItems(int group, std::vector<ViewItem> batch) override {
        ++batches;
        for (ViewItem& item : batch)
            items[group].push_back(std::move(item));
    }
    void finishView(const std::vector<ViewGroup>& shown) override {
        finished = true;
        finalGroups = shown;
    }

    std::vector<std::string> captions(int group) const {
        std::vector<std::string> result;
        if (auto found = items.find(group); found != items.end())
            for (const ViewItem& item : found->second)
                result.push_back(item.caption);
        return result;
    }
    std::vector<std::string> groupCaptions() const {
        std::vector<std::string> result;
        for (const ViewGroup& group : finalGroups)
            result.push_back(group.caption);
        return result;
    }
};

class CatalogueViewsTest : public OperationsTest {
protected:
    CatalogueViewsTest() { std::filesystem::create_directories(folder / "photos"); }

    void addStock(int id, const std::string& name, bool enabled = true) {
        execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (" + std::to_string(id) +
                ", '" + name + "', " + (enabled ? "1" : "0") + ")");
    }
    // A catalogued image in the photos folder; its file exists unless told.
    std::string addPhoto(char letter, const std::string& name, bool onDisk = true) {
        std::string key = keyOf(letter);
        addImage(key, name, (folder / "photos").string());
        if (onDisk)
            writeFile(folder / "photos" / name, "x");
        return key;
    }
    void setState(const std::string& key, int stockId, int code) {
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + key + "', " +
                std::to_string(stockId) + ", '" + std::to_string(code) + "')");
    }
    std::string addCategory(const std::string& name, const std::vector<std::string>& keys) {
        std::string id = TStockDBObject::NewId();
        execute("insert into CATEGORY (CATEGORY_ID, CNAME) values ('" + id + "', '" + name + "')");
        for (const std::string& key : keys)
            execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values ('" + key + "', '" + id +
                    "')");
        return id;
    }

    RecordedView run(CatalogueViewSettings settings) {
        settings.previewCacheFolder = folder / "MD5";
        RecordedView view;
        TFilterProcessor(*connection, settings, view).Execute();
        EXPECT_EQ(FilterRunning.load(), 0);
        return view;
    }
    RecordedView stockView(int stockId, bool hideMissing = false) {
        CatalogueViewSettings settings;
        settings.mode = CatalogueViewMode::Stock;
        settings.stockId = stockId;
        settings.hideMissing = hideMissing;
        return run(settings);
    }
    RecordedView search(const std::string& text) {
        CatalogueViewSettings settings;
        settings.mode = CatalogueViewMode::Search;
        settings.searchText = text;
        return run(settings);
    }
};

TEST_F(CatalogueViewsTest, StockViewGroupsByStateInFixedOrderAndSkipsStateZero) {
    addStock(0, "Alpha");
    const struct {
        char letter;
        const char* name;
        int code;
    } images[] = {{'a', "accepted.jpg", 5}, {'b', "pending.jpg", 2},  {'c', "ready.jpg", 1},
                  {'d', "zero.jpg", 0},     {'e', "failed.jpg", 3},   {'f', "ready2.jpg", 1},
                  {'g', "donated.jpg", 7},  {'h', "rejected.jpg", 4}, {'i', "resubmit.jpg", 6}};
    for (const auto& image : images)
        setState(addPhoto(image.letter, image.name), 0, image.code);
    execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + keyOf('j') +
            "', 0, '1')");

    RecordedView view = stockView(0);

    EXPECT_THAT(view.groupCaptions(),
                ElementsAre("Accepted (1)", "Pending (1)", "Ready to upload (2)", "Resubmit (1)",
                            "Donated (1)", "Rejected (1)", "Upload failed (1)"));
    EXPECT_TRUE(view.finalGroups[0].collapsed);
    EXPECT_FALSE(view.finalGroups[2].collapsed);
    EXPECT_THAT(view.captions(2), ElementsAre("ready.jpg", "ready2.jpg"));
    EXPECT_THAT(view.captions(6), ElementsAre("failed.jpg"));
    EXPECT_THAT(logLines(), Contains("State id = 0"));
    EXPECT_THAT(logLines(),
                Contains("select * from IMAGE_STOCK where STOCK_ID = 0 order by STATE_ID"));
    const ViewItem& item = view.items[0].front();
    EXPECT_EQ(item.data.MD5, keyOf('a'));
    EXPECT_EQ(item.data.FullName, (folder / "photos" / "accepted.jpg").string());
    EXPECT_EQ(item.data.FileSize, 1234);
    EXPECT_FALSE(item.data.FileAbsent);
}

TEST_F(CatalogueViewsTest, MissingFilesFollowHideMissingFilesButNeverReachTheUploadsView) {
    addStock(0, "Alpha");
    std::string present = addPhoto('a', "here.jpg");
    std::string gone = addPhoto('b', "gone.jpg", false);
    for (const std::string& key : {present, gone})
        setState(key, 0, 1);
    std::string category = addCategory("Beach", {present, gone});

    RecordedView shown = run({CatalogueViewMode::Category, category, 0, "", {}, false});
    EXPECT_THAT(shown.captions(0), ElementsAre("here.jpg", "gone.jpg"));
    EXPECT_TRUE(shown.items[0][1].data.FileAbsent);
    EXPECT_THAT(shown.groupCaptions(), ElementsAre("Files (2)"));
    EXPECT_THAT(logLines(), Not(Contains("File absent")));

    RecordedView hidden = run({CatalogueViewMode::Category, category, 0, "", {}, true});
    EXPECT_THAT(hidden.captions(0), ElementsAre("here.jpg"));
    EXPECT_THAT(logLines(), Contains("File absent"));

    RecordedView uploads = run({CatalogueViewMode::Uploads, "", 0, "", {}, false});
    EXPECT_THAT(uploads.captions(0), ElementsAre("here.jpg"));
}

TEST_F(CatalogueViewsTest, UploadsViewHasATickedGroupPerEnabledStockWithTickedItems) {
    addStock(0, "Alpha");
    addStock(1, "Off", false);
    addStock(4, "Beta");
    std::string a = addPhoto('a', "a.jpg"), b = addPhoto('b', "b.jpg"), c = addPhoto('c', "c.jpg");
    setState(a, 4, 1);
    setState(b, 0, 1);
    setState(c, 1, 1); // at a disabled stock
    setState(c, 0, 2); // not ready to upload
    setState(a, 0, 1);
    setState(a, 0, 1); // the same row twice is shown once

    RecordedView view = run({CatalogueViewMode::Uploads, "", 0, "", {}, false});

    EXPECT_THAT(view.groupCaptions(), ElementsAre("Alpha (2)", "Beta (1)"));
    EXPECT_TRUE(view.groups[0].ticked && view.groups[1].ticked);
    EXPECT_THAT(view.captions(0), ElementsAre("b.jpg", "a.jpg"));
    EXPECT_THAT(view.captions(1), ElementsAre("a.jpg"));
    EXPECT_TRUE(view.items[0][0].checked);
    EXPECT_THAT(logLines(), Contains("Group Alpha added"));
    EXPECT_THAT(logLines(), Contains("Item enabled, checked"));
}

TEST_F(CatalogueViewsTest, SearchSplitsAtSeparatorsButKeepsBlanksInsideAWord) {
    const struct {
        const char* text;
        std::vector<std::string> words;
    } cases[] = {{"sunset, beach", {"sunset", "beach"}},
                 {"blue sky", {"blue sky"}},
                 {"  sea;sand\r\nsun-rise  ", {"sea", "sand", "sun-rise"}},
                 {" ,;! ", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(SearchWords(c.text), c.words) << c.text;
}

TEST_F(CatalogueViewsTest, SearchFindsImagesCarryingAnyWordAndLeavesKeywordsUnchanged) {
    std::string a = addPhoto('a', "a.jpg"), b = addPhoto('b', "b.jpg"), c = addPhoto('c', "c.jpg");
    db->AddKeywordTextToImage(a, "sunset, blue sky");
    db->AddKeywordTextToImage(b, "beach, sunset");
    db->AddKeywordTextToImage(c, "blue");
    auto keywords = rows("select * from KEYWORDS order by KEYWORD_ID");

    RecordedView both = search("sunset, beach");
    EXPECT_THAT(both.groupCaptions(), ElementsAre("Search Results (2)"));
    std::vector<std::string> found = both.captions(0);
    std::sort(found.begin(), found.end());
    EXPECT_THAT(found, ElementsAre("a.jpg", "b.jpg"));
    EXPECT_THAT(logLines(), Contains("Search result showing"));

    EXPECT_THAT(search("blue sky").captions(0), ElementsAre("a.jpg"));
    EXPECT_THAT(search("BEACH, unknown-word").captions(0), ElementsAre("b.jpg"));

    RecordedView none = search("unknown-word, another");
    EXPECT_TRUE(none.finished);
    EXPECT_THAT(none.finalGroups, IsEmpty());
    EXPECT_THAT(none.items, IsEmpty());
    EXPECT_THAT(logLines(), Contains("Empty query result"));
    EXPECT_TRUE(search("").finalGroups.empty());

    EXPECT_EQ(rows("select * from KEYWORDS order by KEYWORD_ID"), keywords);
}

TEST_F(CatalogueViewsTest, PicturesComeOnlyFromThePreviewCache) {
    std::string cached = addPhoto('a', "cached.jpg");
    std::string uncached = addPhoto('b', "uncached.jpg");
    std::filesystem::create_directories(folder / "MD5");
    WriteBitmapFile(PreviewCacheFile(folder / "MD5", cached), QImage(96, 96, QImage::Format_RGB32));
    std::string category = addCategory("Mixed", {cached, uncached});

    RecordedView view = run({CatalogueViewMode::Category, category, 0, "", {}, false});

    ASSERT_EQ(view.items[0].size(), 2u);
    EXPECT_EQ(view.items[0][0].previewFile, PreviewCacheFile(folder / "MD5", cached));
    EXPECT_TRUE(view.items[0][1].previewFile.empty());
    EXPECT_FALSE(std::filesystem::exists(PreviewCacheFile(folder / "MD5", uncached)));
}

TEST_F(CatalogueViewsTest, ARowWithoutImageRowIsSkippedAndAnEmptyResultShowsNothing) {
    std::string category = addCategory("Orphans", {keyOf('z')});
    RecordedView orphans = run({CatalogueViewMode::Category, category, 0, "", {}, false});
    EXPECT_THAT(orphans.groupCaptions(), ElementsAre("Files (0)"));

    addStock(0, "Alpha");
    RecordedView empty = stockView(0);
    EXPECT_EQ(empty.begun, 1);
    EXPECT_TRUE(empty.finished);
    EXPECT_THAT(empty.groups, IsEmpty());
    EXPECT_THAT(logLines(), Contains("Empty query result"));
}

TEST_F(CatalogueViewsTest, ALargeViewIsReadWithAFewStatementsAndDeliveredInBatches) {
    addStock(0, "Alpha");
    execute("create temp table N(I integer)");
    execute("with recursive C(I) as (select 1 union all select I + 1 from C where I < 10000) "
            "insert into N select I from C");
    execute("insert into IMAGES (MD5, FileName, FilePath, FileSize) select printf('%032X', I), "
            "printf('p%04d.jpg', I), '" +
            (folder / "photos").string() + "', I from N");
    execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) select printf('%032X', I), 0, '2' "
            "from N");

    writeFile(folder / "photos" / "p0001.jpg", "x");
    writeFile(folder / "photos" / "p0500.jpg", "x");
    std::filesystem::create_directories(folder / "MD5");
    WriteBitmapFile(folder / "MD5" / "000000000000000000000000000003E8",
                    QImage(96, 96, QImage::Format_RGB32));

    StatementRecorder recorder(*connection);
    RecordedView view = stockView(0);

    EXPECT_THAT(view.groupCaptions(), Contains("Pending (10000)"));
    const std::vector<ViewItem>& items = view.items[1];
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].data.FileAbsent, i != 0 && i != 499) << items[i].caption;
        EXPECT_EQ(items[i].previewFile.empty(), i != 999) << items[i].caption;
    }
    EXPECT_EQ(view.items[1].front().caption, "p0001.jpg");
    EXPECT_EQ(view.items[1].back().caption, "p10000.jpg");
    EXPECT_LT(recorder.statements.size(), 10u);
    EXPECT_GT(view.batches, 1);
    EXPECT_LT(view.batches, 100);
}

// A listing that stops the run as soon as the first items arrive, as a folder
// selection does while a category run is under way.
class StoppingView : public RecordedView {
public:
    TFilterProcessor* processor = nullptr;
    void addItems(int group, std::vector<ViewItem> batch) override {
        RecordedView::addItems(group, std::move(batch));
        processor->Terminate();
    }
};

TEST_F(CatalogueViewsTest, AStoppedRunDeliversNothingMore) {
    std::vector<std::string> keys;
    execute("insert into CATEGORY (CATEGORY_ID, CNAME) values ('C1', 'Many')");
    execute("with recursive C(I) as (select 1 union all select I + 1 from C where I < 2000) "
            "insert into IMAGES (MD5, FileName, FilePath) select printf('%032X', I), "
            "printf('p%04d.jpg', I), '/nowhere' from C");
    execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) select MD5, 'C1' from IMAGES");

    StoppingView view;
    CatalogueViewSettings settings{CatalogueViewMode::Category, "C1", 0, "", {}, false};
    TFilterProcessor processor(*connection, settings, view);
    view.processor = &processor;
    processor.Execute();

    EXPECT_EQ(view.batches, 1);
    EXPECT_FALSE(view.finished);
    EXPECT_EQ(FilterRunning.load(), 0);
}

// The category run on its own thread: the listing hears from that thread,
// and destroying the run waits for it.
class SignallingView : public RecordedView {
public:
    void finishView(const std::vector<ViewGroup>& shown) override {
        std::lock_guard lock(mutex);
        RecordedView::finishView(shown);
        done.notify_all();
    }
    std::mutex mutex;
    std::condition_variable done;
};

TEST_F(CatalogueViewsTest, TheCategoryRunOnAThreadFinishesAndStops) {
    std::string key = addPhoto('a', "a.jpg");
    std::string category = addCategory("One", {key});
    auto view = std::make_shared<SignallingView>();
    {
        CatalogueViewThread thread(*connection,
                                   {CatalogueViewMode::Category, category, 0, "", {}, false}, view);
        std::unique_lock lock(view->mutex);
        ASSERT_TRUE(
            view->done.wait_for(lock, std::chrono::seconds(10), [&] { return view->finished; }));
    }
    EXPECT_THAT(view->groupCaptions(), ElementsAre("Files (1)"));

    auto stopped = std::make_shared<SignallingView>();
    {
        CatalogueViewThread thread(
            *connection, {CatalogueViewMode::Category, category, 0, "", {}, false}, stopped);
        thread.Terminate();
    }
    EXPECT_EQ(FilterRunning.load(), 0);
}

} // namespace
} // namespace orvella::test
