#include "files/FileOperations.h"
#include "PictureFixtures.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "files/FileTransfer.h"
#include "files/FolderLoader.h"
#include "shell/Log.h"
#include "shell/Progress.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CountingProgress : public Progress {
public:
    int opened = 0;
    int closed = 0;

protected:
    void showWindow(int) override { ++opened; }
    void setPosition(int) override {}
    void hideWindow() override { ++closed; }
};

class ListedNames : public FolderListing {
public:
    std::vector<std::string> captions;
    void beginListing() override {}
    void addFile(ListedFile file) override { captions.push_back(file.caption); }
    void endListing(int) override { std::sort(captions.begin(), captions.end()); }
};

// A catalogue copy and two folders of pictures; the folders are registered
// by loading them, as the file view does.
struct FileOperationsTest : ::testing::Test {
    TempFolder root;
    fs::path source = root / "source";
    fs::path target = root / "target";
    fs::path cache = root / "MD5";
    TLog log{root / "LogFile.log"};
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;
    test::ScriptedPrompts prompts;
    CountingProgress progress;
    std::unique_ptr<FileOperations> operations;

    void SetUp() override {
        for (const fs::path& folder : {source, target, cache})
            fs::create_directories(folder);
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "Orvella.dat");
        connection = std::make_unique<TCatalogueConnection>(root / "Orvella.dat");
        db = std::make_unique<TStockDBObject>(*connection);
        operations = std::make_unique<FileOperations>(*db, prompts, progress);
        installAppLog(&log);
        log.SetLogEnabled(true);
    }
    void TearDown() override { installAppLog(nullptr); }

    fs::path picture(const fs::path& file, int shade) {
        test::WriteBytes(file, test::EncodeJpeg({40 + shade, 30, qRgb(shade, 90, 200)}));
        return file;
    }
    std::vector<std::string> load(const fs::path& folder) {
        ListedNames listing;
        TDirectoryProcessor(*connection, {folder, cache, false, 1}, listing).Execute();
        return listing.captions;
    }
    TImageData item(const fs::path& file) { return ImageDataForFile(*db, file); }
    std::vector<TImageData> items(const std::vector<fs::path>& files) {
        std::vector<TImageData> result;
        for (const fs::path& file : files)
            result.push_back(item(file));
        return result;
    }
    bool logged(const std::string& line) const {
        for (const std::string& written : log.Lines())
            if (written.find(line) != std::string::npos)
                return true;
        return false;
    }
    // Names in the folder other than the ones listed: leftovers of a copy.
    std::vector<std::string> namesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(FileOperationsTest, MoveDropLeavesTakenNamesAndTellsOnce) {
    fs::path a = picture(source / "a.jpg", 10), b = picture(source / "b.jpg", 20),
             c = picture(source / "c.jpg", 30);
    load(source);
    picture(target / "c.jpg", 40);
    std::string targetC = readFile(target / "c.jpg");
    std::vector<TImageData> dropped = items({a, b, c});

    DropResult result = operations->DropOnFolder(dropped, target, {true, false});

    EXPECT_EQ(result.placed, 2);
    EXPECT_THAT(result.leftForExisting, ElementsAre(c.string()));
    EXPECT_THAT(prompts.messages, ElementsAre(kFilesDidNotMove));
    EXPECT_EQ(db->GetImagePath(dropped[0].MD5), (target / "a.jpg").string());
    EXPECT_EQ(db->GetImagePath(dropped[1].MD5), (target / "b.jpg").string());
    EXPECT_EQ(db->GetImagePath(dropped[2].MD5), c.string());
    EXPECT_THAT(namesIn(source), ElementsAre("c.jpg"));
    EXPECT_EQ(readFile(target / "c.jpg"), targetC);
    EXPECT_EQ(progress.opened, 1);
    EXPECT_EQ(progress.closed, 1);
}

TEST_F(FileOperationsTest, DropOnTheFilesOwnFolderDoesNothing) {
    fs::path a = picture(source / "a.jpg", 10), b = picture(source / "b.jpg", 20);
    load(source);
    for (bool move : {true, false}) {
        DropResult result = operations->DropOnFolder(items({a, b}), source, {move, false});
        EXPECT_EQ(result.placed, 0);
        EXPECT_THAT(result.leftForExisting, IsEmpty());
    }
    EXPECT_THAT(prompts.messages, IsEmpty());
    EXPECT_THAT(namesIn(source), ElementsAre("a.jpg", "b.jpg"));
}

TEST_F(FileOperationsTest, CopyDropKeepsTheExistingFileAndTheCopiesListAsCopies) {
    fs::path a = picture(source / "a.jpg", 10), b = picture(source / "b.jpg", 20);
    picture(source / "c.jpg", 30);
    load(source);
    picture(target / "c.jpg", 40);
    std::string targetC = readFile(target / "c.jpg");

    DropResult result =
        operations->DropOnFolder(items({a, b, source / "c.jpg"}), target, {false, false});

    EXPECT_EQ(result.placed, 2);
    EXPECT_THAT(prompts.messages, IsEmpty());
    EXPECT_EQ(readFile(target / "c.jpg"), targetC);
    EXPECT_EQ(readFile(target / "a.jpg"), readFile(a));
    EXPECT_TRUE(logged("File " + (source / "c.jpg").string() + " skipped. Already exists"));
    EXPECT_THAT(load(target), ElementsAre("a.jpg (copy)", "b.jpg (copy)", "c.jpg"));
}

TEST_F(FileOperationsTest, OverwriteLetsAMoveReplaceTheTarget) {
    fs::path a = picture(source / "a.jpg", 10);
    load(source);
    picture(target / "a.jpg", 50);
    std::string moved = readFile(a);
    TImageData dropped = item(a);

    DropResult result = operations->DropOnFolder({dropped}, target, {true, true});

    EXPECT_EQ(result.placed, 1);
    EXPECT_EQ(readFile(target / "a.jpg"), moved);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(db->GetImagePath(dropped.MD5), (target / "a.jpg").string());
}

TEST_F(FileOperationsTest, MovingACopyLeavesTheRowWithTheFileItNames) {
    fs::path original = picture(source / "a.jpg", 10);
    load(source);
    fs::create_directories(root / "other");
    fs::copy_file(original, root / "other" / "a.jpg");
    TImageData copy = item(root / "other" / "a.jpg");
    copy.MD5 = FileMD5(copy.FullName); // the view knows a copy's key

    operations->DropOnFolder({copy}, target, {true, false});

    EXPECT_TRUE(fs::exists(target / "a.jpg"));
    EXPECT_EQ(db->GetImagePath(copy.MD5), original.string());
}

TEST_F(FileOperationsTest, CloningTwiceMakesOneClone) {
    fs::path photo = picture(source / "photo.jpg", 10);
    prompts.answers = {false};
    EXPECT_EQ(operations->CloneImages(items({photo}), false), 0);
    EXPECT_FALSE(fs::exists(source / "photo_clone.jpg"));

    EXPECT_EQ(operations->CloneImages(items({photo}), false), 1);
    fs::resize_file(source / "photo_clone.jpg", 10); // so a second clone would show
    EXPECT_EQ(operations->CloneImages(items({photo}), false), 0);
    EXPECT_EQ(fs::file_size(source / "photo_clone.jpg"), 10u);
    EXPECT_THAT(prompts.questions, ElementsAre("Do you want to clone selected files?",
                                               "Do you want to clone selected files?",
                                               "Do you want to clone selected files?"));
    EXPECT_TRUE(logged("File " + photo.string() + " cloned"));

    TImageData gone = item(source / "gone.jpg");
    operations->CloneImages({gone}, false);
    EXPECT_TRUE(logged("File " + gone.FullName + " absent. Can't clone file"));
    EXPECT_EQ(FileOperations::CloneName("/a/b.c/photo.tar.gz"),
              fs::path("/a/b.c/photo.tar_clone.gz"));
}

TEST_F(FileOperationsTest, PasteSkipsOnlyTheNameThatIsTaken) {
    fs::path a = picture(source / "a.jpg", 10), b = picture(source / "b.jpg", 20);
    picture(target / "b.jpg", 60);
    std::string kept = readFile(target / "b.jpg");

    EXPECT_EQ(operations->Paste({a, b}, target), 1);

    EXPECT_EQ(readFile(target / "a.jpg"), readFile(a));
    EXPECT_EQ(readFile(target / "b.jpg"), kept);
    EXPECT_TRUE(logged("File " + a.string() + " copied"));
    EXPECT_TRUE(logged("File " + b.string() + " skipped. Already exists"));
}

TEST_F(FileOperationsTest, RenameNeverReplacesAndTheRowFollowsARename) {
    fs::path a = picture(source / "a.jpg", 10), b = picture(source / "b.jpg", 20);
    load(source);
    std::string contentA = readFile(a), contentB = readFile(b);
    TImageData renamed = item(a);

    // A refused name is told to the user; an empty or unchanged one is not.
    const std::pair<const char*, const char*> refused[] = {
        {"b.jpg", "Can't rename a.jpg to b.jpg: a file of that name already exists in "},
        {"x/y.jpg", "Can't rename a.jpg to x/y.jpg: a file name can't contain"},
        {"..", "Can't rename a.jpg to ..: a file name can't contain"},
        {"", nullptr},
        {"a.jpg", nullptr}};
    for (auto [bad, message] : refused) {
        prompts.messages.clear();
        EXPECT_FALSE(operations->RenameImage(renamed, bad)) << bad;
        if (message) {
            ASSERT_EQ(prompts.messages.size(), 1u) << bad;
            EXPECT_EQ(prompts.messages[0].rfind(message, 0), 0u) << prompts.messages[0];
        } else {
            EXPECT_TRUE(prompts.messages.empty()) << bad;
        }
    }
    EXPECT_EQ(renamed.FileName, "a.jpg");
    EXPECT_EQ(readFile(a), contentA);
    EXPECT_EQ(readFile(b), contentB);

    EXPECT_TRUE(operations->RenameImage(renamed, "Sunset.jpg"));
    EXPECT_EQ(renamed.FullName, (source / "Sunset.jpg").string());
    EXPECT_EQ(db->GetImagePath(renamed.MD5), (source / "Sunset.jpg").string());
}

TEST_F(FileOperationsTest, DeletingAGoneFileStillRemovesItsRecord) {
    fs::path a = picture(source / "a.jpg", 10);
    load(source);
    TImageData deleted = item(a);
    fs::remove(a);

    EXPECT_EQ(operations->DeleteImages({deleted}), 1);

    EXPECT_EQ(db->GetImagePath(deleted.MD5), "");
    EXPECT_TRUE(logged("File " + a.string() + " absent. Can't delete file"));
    EXPECT_THAT(prompts.questions,
                ElementsAre("Do you want to delete selected files irretrievably?"));
}

TEST_F(FileOperationsTest, TheRecordGoesOnlyWithTheLastFileOfItsContent) {
    fs::path original = picture(source / "a.jpg", 10);
    picture(target / "other.jpg", 70);
    load(source);
    load(target); // the catalogue knows both folders
    fs::copy_file(original, target / "copy.jpg");
    TImageData first = item(original);
    std::string key = first.MD5;
    db->AddKeywordTextToImage(key, "sunset");

    prompts.answers = {false};
    EXPECT_EQ(operations->DeleteImages({first}), 0);
    EXPECT_TRUE(fs::exists(original));

    operations->DeleteImages({first});
    EXPECT_FALSE(fs::exists(original));
    EXPECT_EQ(db->GetImagePath(key), (target / "copy.jpg").string());
    EXPECT_THAT(db->GetImageKeywords(key), ElementsAre("sunset"));

    TImageData last = item(target / "copy.jpg");
    operations->DeleteImages({last});
    EXPECT_EQ(db->GetImagePath(key), "");
}

TEST_F(FileOperationsTest, DeletingACopyKeepsTheRecordOfTheOriginal) {
    fs::path original = picture(source / "a.jpg", 10);
    load(source);
    fs::copy_file(original, target / "copy.jpg");
    TImageData copy = item(target / "copy.jpg");
    copy.MD5 = FileMD5(copy.FullName);

    operations->DeleteImages({copy});

    EXPECT_FALSE(fs::exists(target / "copy.jpg"));
    EXPECT_EQ(db->GetImagePath(copy.MD5), original.string());
}

std::string unzipListing(const fs::path& archive) {
    std::string command = "unzip -v '" + archive.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (pipe)
        pclose(pipe);
    return output;
}

// The entry lines of "unzip -v": method and name of each entry.
std::vector<std::string> zipEntries(const fs::path& archive) {
    std::vector<std::string> entries;
    std::istringstream lines(unzipListing(archive));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string length, method, size, ratio, date, time, crc, name;
        if (fields >> length >> method >> size >> ratio >> date >> time >> crc >> name &&
            std::isdigit(static_cast<unsigned char>(length[0])) && crc.size() == 8)
            entries.push_back(method + " " + name);
    }
    return entries;
}

TEST_F(FileOperationsTest, EachFileGetsItsOwnArchiveStoredOrDeflatedByItsSuffix) {
    fs::path photo = picture(source / "photo.jpg", 10);
    writeFile(source / "drawing.eps", std::string(20000, 'x') + "%%EOF\n");

    EXPECT_EQ(operations->ZipFiles(items({photo, source / "drawing.eps"})), 2);

    EXPECT_THAT(zipEntries(source / "photo.zip"), ElementsAre("Stored photo.jpg"));
    EXPECT_THAT(zipEntries(source / "drawing.zip"), ElementsAre("Defl:N drawing.eps"));
    EXPECT_TRUE(logged("File zipped: " + photo.string()));
    EXPECT_TRUE(logged("Zip deactivated"));
    EXPECT_THAT(namesIn(source),
                ElementsAre("drawing.eps", "drawing.zip", "photo.jpg", "photo.zip"));
}

TEST_F(FileOperationsTest, AFailedZipLeavesTheOldArchiveAndNoPartialOne) {
    fs::path photo = picture(source / "photo.jpg", 10);
    writeFile(source / "photo.zip", "not an archive");

    EXPECT_EQ(operations->ZipFiles(items({photo})), 0);

    EXPECT_EQ(readFile(source / "photo.zip"), "not an archive");
    EXPECT_THAT(namesIn(source), ElementsAre("photo.jpg", "photo.zip"));
    EXPECT_FALSE(logged("File zipped: "));
}

TEST_F(FileOperationsTest, SetActualImageLocationGivesTheRecordTheChosenFile) {
    fs::path a = picture(source / "a.jpg", 10);
    load(source);
    TImageData stale = item(a);
    db->AddKeywordTextToImage(stale.MD5, "harbour");
    fs::path chosen = picture(target / "edited.jpg", 90);

    operations->SetActualImageLocation(stale, chosen);

    std::string key = FileMD5(chosen);
    EXPECT_EQ(db->GetImagePath(key), chosen.string());
    EXPECT_EQ(db->GetImagePath(stale.MD5), "");
    EXPECT_THAT(db->GetImageKeywords(key), ElementsAre("harbour"));
}

// A small tmpfs as a second file system, unmounted at the end.
class SmallFileSystem {
public:
    SmallFileSystem(const fs::path& folder, const char* size) : folder_(folder) {
        fs::create_directories(folder);
        std::string options = std::string("size=") + size;
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
        error_ = errno;
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount(folder_.c_str());
    }
    bool mounted() const { return mounted_; }
    std::string why() const { return std::strerror(error_); }

private:
    fs::path folder_;
    bool mounted_ = false;
    int error_ = 0;
};

TEST_F(FileOperationsTest, AMoveAcrossFileSystemsThatRunsOutOfSpaceLeavesTheSource) {
    SmallFileSystem small(root / "small", "256k");
    if (!small.mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (" << small.why() << ")";
    fs::path fits = source / "fits.jpg", big = source / "big.jpg";
    writeFile(fits, std::string(50000, 'f'));
    writeFile(big, std::string(400000, 'b'));
    load(source);
    TImageData fitsItem = item(fits), bigItem = item(big);

    DropResult result =
        operations->DropOnFolder({fitsItem, bigItem}, root / "small", {true, false});

    EXPECT_EQ(result.placed, 1);
    EXPECT_THAT(result.failed, ElementsAre(big.string()));
    EXPECT_EQ(readFile(root / "small" / "fits.jpg"), std::string(50000, 'f'));
    EXPECT_FALSE(fs::exists(fits));
    EXPECT_EQ(db->GetImagePath(fitsItem.MD5), (root / "small" / "fits.jpg").string());
    EXPECT_EQ(readFile(big), std::string(400000, 'b'));
    EXPECT_EQ(db->GetImagePath(bigItem.MD5), big.string());
    EXPECT_THAT(namesIn(root / "small"), ElementsAre("fits.jpg"));
    EXPECT_TRUE(
        logged("Can't move file " + big.string() + " to " + (root / "small" / "big.jpg").string()));
}

TEST_F(FileOperationsTest, PlacementTellsTakenNamesAndTheSameFile) {
    fs::path a = picture(source / "a.jpg", 10);
    EXPECT_EQ(CopyFileTo(a, target / "a.jpg", false), Placement::Placed);
    EXPECT_EQ(CopyFileTo(a, target / "a.jpg", false), Placement::TargetExists);
    EXPECT_EQ(CopyFileTo(a, a, true), Placement::SameFile);
    EXPECT_EQ(MoveFileTo(target / "a.jpg", a, false), Placement::TargetExists);
    EXPECT_THROW(CopyFileTo(source / "missing.jpg", target / "m.jpg", false), std::system_error);
    EXPECT_THAT(namesIn(target), ElementsAre("a.jpg"));
}

// A move onto the file's own name, or onto another name of the same file (a
// hard link), changes nothing, whether it may replace or not: a plain rename
// would report success there and leave both names.
TEST_F(FileOperationsTest, MovingAFileOntoItselfIsTheSameFile) {
    fs::path a = picture(source / "a.jpg", 10), link = target / "a.jpg";
    fs::create_hard_link(a, link);
    for (bool replace : {false, true}) {
        EXPECT_EQ(MoveFileTo(a, a, replace), Placement::SameFile) << replace;
        EXPECT_EQ(MoveFileTo(a, link, replace), Placement::SameFile) << replace;
    }
    EXPECT_TRUE(fs::exists(a));
    EXPECT_TRUE(fs::exists(link));
    EXPECT_THROW(MoveFileTo(source / "missing.jpg", target / "m.jpg", false), std::system_error);
}

// A file that went away after it was listed is passed over without a word;
// one that cannot be moved is told.
TEST_F(FileOperationsTest, AMoveDropPassesOverAFileGoneSinceItWasListed) {
    fs::path a = picture(source / "a.jpg", 10), b = picture(source / "b.jpg", 20);
    load(source);
    std::vector<TImageData> dropped = items({a, b});
    fs::remove(a);

    DropResult result = operations->DropOnFolder(dropped, target, {true, false});

    EXPECT_EQ(result.placed, 1);
    EXPECT_THAT(result.failed, IsEmpty());
    EXPECT_THAT(prompts.messages, IsEmpty());
    EXPECT_FALSE(logged("Can't move file"));
    EXPECT_EQ(db->GetImagePath(dropped[1].MD5), (target / "b.jpg").string());

    fs::path c = picture(source / "c.jpg", 30);
    result = operations->DropOnFolder(items({c}), root / "no folder", {true, false});
    EXPECT_THAT(result.failed, ElementsAre(c.string()));
    EXPECT_TRUE(logged("Can't move file " + c.string()));
}

} // namespace
} // namespace orvella
