#include "files/FolderLoader.h"
#include "PictureFixtures.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "files/PreviewCache.h"
#include "shell/Log.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// Keeps what a loader delivers, as a view would show it.
class RecordedListing : public FolderListing {
public:
    std::vector<ListedFile> files;
    int began = 0;
    std::optional<int> ended;
    std::function<void()> afterEachFile;

    void beginListing() override { ++began; }
    void addFile(ListedFile file) override {
        files.push_back(std::move(file));
        if (afterEachFile)
            afterEachFile();
    }
    void endListing(int listedCount) override { ended = listedCount; }

    std::vector<std::string> captions() const {
        std::vector<std::string> names;
        for (const ListedFile& file : files)
            names.push_back(file.caption);
        std::sort(names.begin(), names.end());
        return names;
    }
    const ListedFile& named(const std::string& caption) const {
        for (const ListedFile& file : files)
            if (file.caption == caption)
                return file;
        throw std::runtime_error("not listed: " + caption);
    }
};

// A catalogue copy and a preview cache in a temporary folder, with pictures to list.
struct LoaderFixture : ::testing::Test {
    TempFolder root;
    fs::path cache = root / "MD5";
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;

    void SetUp() override {
        fs::create_directories(cache);
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "Orvella.dat");
        connection = std::make_unique<TCatalogueConnection>(root / "Orvella.dat");
        db = std::make_unique<TStockDBObject>(*connection);
    }

    fs::path picture(const std::string& relative, QRgb colour = qRgb(200, 30, 30),
                     int width = 120) {
        fs::path file = root / relative;
        fs::create_directories(file.parent_path());
        test::WriteBytes(file, test::EncodeJpeg({width, 80, colour}));
        return file;
    }

    RecordedListing load(const fs::path& folder) {
        RecordedListing listing;
        TDirectoryProcessor(*connection, {folder, cache, false, 2}, listing).Execute();
        return listing;
    }

    std::string rowOf(const std::string& key) { return db->GetImagePath(key); }
};

TEST_F(LoaderFixture, NewFilesAreListedRegisteredAndCached) {
    picture("shoot/a.jpg");
    picture("shoot/bob's photo.jpg", qRgb(0, 0, 200));
    test::WriteBytes(root / "shoot" / "notes.txt", "not a picture");
    fs::create_directory(root / "shoot" / "sub.jpg"); // a folder is never listed
    RecordedListing listing = load(root / "shoot");
    EXPECT_EQ(listing.began, 1);
    EXPECT_EQ(listing.ended, 2);
    EXPECT_EQ(listing.captions(), (std::vector<std::string>{"a.jpg", "bob's photo.jpg"}));
    const ListedFile& bob = listing.named("bob's photo.jpg");
    EXPECT_EQ(bob.file.MD5, FileMD5(root / "shoot" / "bob's photo.jpg"));
    EXPECT_EQ(rowOf(bob.file.MD5), (root / "shoot" / "bob's photo.jpg").string());
    EXPECT_EQ(bob.pictureKind, ListedFile::Picture::Thumbnail);
    EXPECT_EQ(bob.picture.size(), QSize(96, 96));
    EXPECT_TRUE(fs::exists(PreviewCacheFile(cache, bob.file.MD5)));
    std::vector<int> indexes = {listing.files[0].file.ImageIndex, listing.files[1].file.ImageIndex};
    EXPECT_EQ(indexes, (std::vector<int>{0, 1}));
}

TEST_F(LoaderFixture, FolderWithoutCatalogueMaterialOrMissingGivesNoFiles) {
    fs::create_directories(root / "empty");
    test::WriteBytes(root / "empty" / "README", "x");
    EXPECT_EQ(load(root / "empty").ended, 0);
    EXPECT_EQ(load(root / "no such folder").ended, 0);
}

TEST_F(LoaderFixture, RenamedFileKeepsItsRowAndKeywords) {
    fs::path original = picture("shoot/before.jpg");
    std::string key = load(root / "shoot").files.at(0).file.MD5;
    db->AddKeywordTextToImage(key, "sky");
    fs::rename(original, root / "shoot" / "after.jpg");
    RecordedListing listing = load(root / "shoot");
    EXPECT_EQ(listing.captions(), (std::vector<std::string>{"after.jpg"}));
    EXPECT_EQ(rowOf(key), (root / "shoot" / "after.jpg").string());
    EXPECT_EQ(db->GetImageKeywords(key), (TKeywords{"sky"}));
}

TEST_F(LoaderFixture, MovedIntoAnotherFolderTakesTheRowAlong) {
    fs::path original = picture("one/photo.jpg");
    std::string key = load(root / "one").files.at(0).file.MD5;
    fs::create_directories(root / "two");
    fs::rename(original, root / "two" / "photo.jpg");
    load(root / "two");
    EXPECT_EQ(rowOf(key), (root / "two" / "photo.jpg").string());
}

TEST_F(LoaderFixture, CopyElsewhereIsMarkedAndAddsNoRow) {
    fs::path original = picture("one/photo.jpg");
    load(root / "one");
    fs::create_directories(root / "two");
    fs::copy_file(original, root / "two" / "copy.jpg");
    RecordedListing listing = load(root / "two");
    EXPECT_EQ(listing.captions(), (std::vector<std::string>{"copy.jpg (copy)"}));
    EXPECT_TRUE(listing.files[0].copy);
    EXPECT_EQ(rowOf(listing.files[0].file.MD5), original.string());
    TQuery count(*connection);
    count.SetSQL("select * from IMAGES");
    count.Open();
    EXPECT_EQ(count.RecordCount(), 1u);
}

TEST_F(LoaderFixture, ChangedSizeRekeysTheRowAndItsStatesFollow) {
    fs::path file = picture("shoot/photo.jpg", qRgb(10, 200, 10));
    std::string oldKey = load(root / "shoot").files.at(0).file.MD5;
    db->AddStock("Agency", "", false, "");
    db->SetState(0, oldKey, 2);
    db->AddKeywordTextToImage(oldKey, "forest");
    test::WriteBytes(file, test::EncodeJpeg({160, 90, qRgb(10, 10, 200)})); // edited: new size
    RecordedListing listing = load(root / "shoot");
    std::string newKey = listing.files.at(0).file.MD5;
    EXPECT_NE(newKey, oldKey);
    EXPECT_EQ(newKey, FileMD5(file));
    EXPECT_EQ(rowOf(oldKey), "");
    EXPECT_EQ(rowOf(newKey), file.string());
    EXPECT_EQ(db->GetState(0, newKey), 2);
    EXPECT_EQ(db->GetImageKeywords(newKey), (TKeywords{"forest"}));
}

// Names and folders that differ only in letter case are different files: an
// edit of one re-keys its own row, and the other row keeps its key.
TEST_F(LoaderFixture, NamesDifferingInLetterCaseAreDifferentFiles) {
    struct Case {
        const char* edited;
        const char* other;
    } cases[] = {
        {"same/a.jpg", "same/A.jpg"},
        {"dir/x.jpg", "Dir/x.jpg"},
    };
    int stock = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edited);
        // Colours of each case's own, so no file is a copy of another case's.
        fs::path edited = picture(c.edited, qRgb(10, 200, 10 + 90 * stock));
        fs::path other = picture(c.other, qRgb(200, 10, 10 + 90 * stock));
        load(other.parent_path());
        std::string oldKey = load(edited.parent_path()).named(edited.filename().string()).file.MD5;
        std::string otherKey = FileMD5(other);
        db->AddStock("Agency " + std::to_string(stock), "", false, "");
        db->SetState(stock, oldKey, 3);
        test::WriteBytes(edited,
                         test::EncodeJpeg({170, 90, qRgb(10, 10 + 90 * stock, 200)})); // new size

        for (int run = 1; run <= 2; ++run) { // a second run finds nothing left to do
            SCOPED_TRACE(run);
            RecordedListing listing = load(edited.parent_path());
            const ListedFile& listed = listing.named(edited.filename().string());
            EXPECT_EQ(listed.catalogueError, "");
            EXPECT_EQ(listed.file.MD5, FileMD5(edited));
            EXPECT_EQ(rowOf(listed.file.MD5), edited.string());
            EXPECT_EQ(rowOf(oldKey), "");
            EXPECT_EQ(db->GetState(stock, listed.file.MD5), 3);
            EXPECT_EQ(rowOf(otherKey), other.string());
        }
        ++stock;
    }
}

// A statement the catalogue refuses is written to the log as an error
// record, the file is listed showing it, and the other files load.
TEST_F(LoaderFixture, RefusedStatementIsRecordedShownAndTheRestLoads) {
    TLog log(root / "LogFile.log", [] { return std::string("T"); });
    installAppLog(&log);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        picture(std::string("shoot/") + name, qRgb(name[0], 90, 90));
    db->ExecuteStatement(
        "create trigger REFUSE_B before insert on IMAGES when NEW.FileName = 'b.jpg' "
        "begin select raise(abort, 'refused here'); end");
    RecordedListing listing = load(root / "shoot");
    installAppLog(nullptr);

    EXPECT_EQ(listing.captions(),
              (std::vector<std::string>{"a.jpg", "b.jpg (catalogue error)", "c.jpg"}));
    EXPECT_EQ(listing.ended, 3);
    EXPECT_EQ(listing.named("b.jpg (catalogue error)").catalogueError, "refused here");
    EXPECT_EQ(listing.named("a.jpg").catalogueError, "");
    EXPECT_EQ(rowOf(listing.named("a.jpg").file.MD5), (root / "shoot" / "a.jpg").string());
    EXPECT_EQ(rowOf(listing.named("c.jpg").file.MD5), (root / "shoot" / "c.jpg").string());
    EXPECT_EQ(rowOf(listing.named("b.jpg (catalogue error)").file.MD5), "");
    std::vector<std::string> lines = log.Lines();
    auto record = std::find(lines.begin(), lines.end(),
                            "T Exception EDatabaseError with message refused here");
    ASSERT_NE(record, lines.end()) << testing::PrintToString(lines);
    ASSERT_NE(std::next(record), lines.end());
    EXPECT_EQ(std::next(record)->rfind("T Latest SQL query insert into IMAGES", 0), 0u)
        << *std::next(record);
}

TEST_F(LoaderFixture, SameSizeChangeKeepsTheKnownKeyWithoutReadingTheFile) {
    fs::path file = picture("shoot/photo.jpg");
    std::string key = load(root / "shoot").files.at(0).file.MD5;
    std::string bytes = test::readFile(file);
    bytes[bytes.size() / 2] ^= 0x01; // same size, other content
    test::WriteBytes(file, bytes);
    EXPECT_EQ(load(root / "shoot").files.at(0).file.MD5, key);
}

TEST_F(LoaderFixture, PlaceholdersForEmptyFilesAndArchives) {
    fs::create_directories(root / "shoot");
    test::WriteBytes(root / "shoot" / "empty.jpg", "");
    test::WriteBytes(root / "shoot" / "pack.zip", "PK\x05\x06" + std::string(18, '\0'));
    RecordedListing listing = load(root / "shoot");
    const ListedFile& empty = listing.named("empty.jpg");
    EXPECT_EQ(empty.pictureKind, ListedFile::Picture::LoadingError);
    EXPECT_EQ(empty.file.MD5, "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(rowOf(empty.file.MD5), (root / "shoot" / "empty.jpg").string());
    EXPECT_EQ(listing.named("pack.zip").pictureKind, ListedFile::Picture::Archive);
}

TEST_F(LoaderFixture, UnreadableFileIsSkippedAndTheRestLoads) {
    picture("shoot/good.jpg");
    fs::create_directories(root / "shoot");
    ASSERT_EQ(mkfifo((root / "shoot" / "pipe.jpg").c_str(), 0600), 0);
    RecordedListing listing = load(root / "shoot");
    EXPECT_EQ(listing.captions(), (std::vector<std::string>{"good.jpg"}));
    EXPECT_EQ(listing.ended, 1);
}

TEST_F(LoaderFixture, StoppedRunDeliversNothingMoreAndDoesNotEnd) {
    for (int i = 0; i < 12; ++i)
        picture("many/p" + std::to_string(i) + ".jpg", qRgb(i * 20, 0, 0));
    RecordedListing listing;
    TDirectoryProcessor processor(*connection, {root / "many", cache, false, 2}, listing);
    listing.afterEachFile = [&] {
        if (listing.files.size() == 3)
            processor.Terminate();
    };
    processor.Execute();
    EXPECT_EQ(listing.files.size(), 3u);
    EXPECT_FALSE(listing.ended);
}

TEST_F(LoaderFixture, ThreadedLoaderCanBeStoppedAtAnyTime) {
    for (int i = 0; i < 30; ++i)
        picture("many/p" + std::to_string(i) + ".jpg", qRgb(0, i * 8, 0), 800);
    for (int delayMs : {0, 5, 40}) {
        auto listing = std::make_shared<RecordedListing>();
        {
            FolderLoaderThread loader(*connection, {root / "many", cache, false, 0}, listing);
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        } // stops and joins
        EXPECT_LE(listing->files.size(), 30u);
    }
    EXPECT_EQ(load(root / "many").ended, 30); // nothing was left half-done
}

} // namespace
} // namespace orvella
