// The file-command, scan and release verbs of orvella-tool, run as a process
// from a program folder of their own.
#include "MetadataFixtures.h"
#include "PictureFixtures.h"
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct OperationVerbsTest : ::testing::Test {
    test::TempFolder root;
    fs::path program = root / "program";
    fs::path photos = root / "photos";
    fs::path target = root / "target";

    void SetUp() override {
        for (const fs::path& folder : {program, photos, target})
            fs::create_directories(folder);
        for (const char* part : {"orvella-tool", "orvella-tool-pictures.so"})
            fs::copy_file(fs::path(ORVELLA_BIN_DIR) / part, program / part);
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", program / "Orvella.dat");
        writeFile(program / "Orvella.ini", "[Options]\nOverwrite=0\nLocalFolder=1\n");
    }

    test::CommandResult tool(const std::string& arguments) {
        return test::runCommand("HOME=" + test::shellQuoted(root.path().string()) + " " +
                                test::shellQuoted((program / "orvella-tool").string()) + " " +
                                arguments);
    }
    std::string quoted(const fs::path& path) { return test::shellQuoted(path.string()); }
    fs::path picture(const fs::path& file, int shade) {
        fs::create_directories(file.parent_path());
        test::WriteBytes(file, test::EncodeJpeg({30 + shade, 20, qRgb(shade, 40, 90)}));
        return file;
    }
    // The catalogue is opened only while the tool is not running.
    std::string imagePath(const std::string& key) {
        TCatalogueConnection connection(program / "Orvella.dat");
        return TStockDBObject(connection).GetImagePath(key);
    }
    size_t rows(const std::string& sql) {
        TCatalogueConnection connection(program / "Orvella.dat");
        TQuery query(connection);
        query.SetSQL(sql);
        query.Open();
        return query.RecordCount();
    }
};

TEST_F(OperationVerbsTest, ScanPrintsEachImportedFileAndTheTotal) {
    fs::path a = picture(photos / "a.jpg", 10);
    fs::path b = picture(photos / "sub" / "b.jpg", 20);
    writeFile(photos / "notes.txt", "no picture");

    test::CommandResult all = tool("scan " + quoted(photos));
    EXPECT_EQ(all.status, 0) << all.output;
    EXPECT_THAT(all.output, HasSubstr(a.string() + "\n"));
    EXPECT_THAT(all.output, HasSubstr(b.string() + "\n"));
    EXPECT_TRUE(all.output.ends_with("Scanned 2 files in 2 folders\n")) << all.output;
    EXPECT_EQ(imagePath(FileMD5(b)), b.string());
    EXPECT_TRUE(fs::exists(program / "Data" / "MD5" / FileMD5(b)));

    test::CommandResult top = tool("scan " + quoted(photos) + " --no-subfolders");
    EXPECT_EQ(top.output, a.string() + "\nScanned 1 files in 1 folders\n");
    EXPECT_EQ(readFile(program / "ScanHistory.dat"), (photos / "sub").string() + "\r\n" +
                                                         photos.string() + "\r\n" +
                                                         photos.string() + "\r\n");
    EXPECT_EQ(tool("scan " + quoted(photos / "missing")).status, 1);
}

TEST_F(OperationVerbsTest, MoveAndCopyTakeTheRowsAlongAndKeepTakenNames) {
    fs::path a = picture(photos / "a.jpg", 10), b = picture(photos / "b.jpg", 20);
    fs::path c = picture(photos / "c.jpg", 30);
    ASSERT_EQ(tool("scan " + quoted(photos)).status, 0);
    picture(target / "c.jpg", 40);
    std::string keyA = FileMD5(a), keyC = FileMD5(c);

    test::CommandResult moved = tool("move " + quoted(target) + " " + quoted(a) + " " + quoted(c));
    EXPECT_EQ(moved.status, 2);
    EXPECT_THAT(moved.output, HasSubstr("Some files didn't move because files with same names "
                                        "already exists in the target folder."));
    EXPECT_EQ(imagePath(keyA), (target / "a.jpg").string());
    EXPECT_EQ(imagePath(keyC), c.string());
    EXPECT_TRUE(fs::exists(c));

    fs::path copies = root / "copies";
    fs::create_directories(copies);
    test::CommandResult copied = tool("copy " + quoted(copies) + " " + quoted(b) + " " + quoted(c));
    EXPECT_EQ(copied.status, 0) << copied.output;
    EXPECT_EQ(readFile(copies / "b.jpg"), readFile(b));
    EXPECT_EQ(imagePath(FileMD5(b)), b.string());

    writeFile(program / "Orvella.ini", "[Options]\nOverwrite=1\nLocalFolder=1\n");
    EXPECT_EQ(tool("move " + quoted(target) + " " + quoted(c)).status, 0);
    EXPECT_EQ(imagePath(keyC), (target / "c.jpg").string());
    EXPECT_EQ(FileMD5(target / "c.jpg"), keyC);

    // A file argument that is not there stops the command before anything moves.
    test::CommandResult missing =
        tool("move " + quoted(target) + " " + quoted(b) + " " + quoted(photos / "gone.jpg"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.output, HasSubstr("no file " + (photos / "gone.jpg").string()));
    EXPECT_TRUE(fs::exists(b));
    EXPECT_EQ(tool("move " + quoted(root / "nowhere") + " " + quoted(b)).status, 1);
    EXPECT_EQ(tool("copy " + quoted(target)).status, 1);
}

TEST_F(OperationVerbsTest, CloneMakesOneCloneAndZipOneArchivePerFile) {
    fs::path photo = picture(photos / "photo.jpg", 10);
    writeFile(photos / "art.eps", std::string(5000, 'e'));

    test::CommandResult first = tool("clone " + quoted(photo));
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.output, (photos / "photo_clone.jpg").string() + "\n");
    test::CommandResult second = tool("clone " + quoted(photo));
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.output, HasSubstr("not cloned"));

    test::CommandResult zipped = tool("zip " + quoted(photo) + " " + quoted(photos / "art.eps"));
    EXPECT_EQ(zipped.status, 0) << zipped.output;
    EXPECT_EQ(zipped.output,
              (photos / "photo.zip").string() + "\n" + (photos / "art.zip").string() + "\n");
    test::CommandResult listing = test::runCommand("unzip -v " + quoted(photos / "art.zip"));
    EXPECT_THAT(listing.output, HasSubstr("Defl:N"));
    EXPECT_THAT(listing.output, HasSubstr(" art.eps\n"));
    EXPECT_THAT(test::runCommand("unzip -v " + quoted(photos / "photo.zip")).output,
                HasSubstr("Stored"));
}

TEST_F(OperationVerbsTest, RenameNeverReplacesAndTheRowFollows) {
    fs::path a = picture(photos / "a.jpg", 10), b = picture(photos / "b.jpg", 20);
    ASSERT_EQ(tool("scan " + quoted(photos)).status, 0);
    std::string keyA = FileMD5(a), contentB = readFile(b);

    test::CommandResult taken = tool("rename " + quoted(a) + " b.jpg");
    EXPECT_EQ(taken.status, 1);
    EXPECT_THAT(taken.output, HasSubstr("a file of that name already exists"));
    EXPECT_EQ(readFile(b), contentB);
    EXPECT_EQ(imagePath(keyA), a.string());

    test::CommandResult renamed = tool("rename " + quoted(a) + " sunset.jpg");
    EXPECT_EQ(renamed.status, 0) << renamed.output;
    EXPECT_EQ(renamed.output, (photos / "sunset.jpg").string() + "\n");
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(imagePath(keyA), (photos / "sunset.jpg").string());
    EXPECT_EQ(tool("rename " + quoted(a)).status, 1); // no new name
}

TEST_F(OperationVerbsTest, ReleasesAreAddedAndAttachedFromScripts) {
    fs::path form = picture(root / "forms" / "anna.jpg", 50);
    fs::path photo = picture(photos / "portrait.jpg", 60);

    test::CommandResult added = tool("release-add " + quoted(form) + " 'Anna K'");
    ASSERT_EQ(added.status, 0) << added.output;
    std::string id = added.output.substr(0, added.output.find('\n'));
    EXPECT_EQ(id.size(), 32u);

    test::CommandResult attached = tool("release-attach 'Anna K' " + quoted(photo));
    EXPECT_EQ(attached.status, 0) << attached.output;
    EXPECT_EQ(attached.output, FileMD5(photo) + "\n");
    EXPECT_EQ(tool("release-attach 'Anna K' " + quoted(photo)).status, 0);
    EXPECT_EQ(rows("select * from IMAGE_RELEASE where RELEASE_ID = " + QuotedStr(id) +
                   " and MD5 = " + QuotedStr(FileMD5(photo))),
              1u);
    EXPECT_EQ(imagePath(FileMD5(photo)), photo.string());

    EXPECT_EQ(tool("release-attach Nobody " + quoted(photo)).status, 1);
    EXPECT_EQ(tool("release-add " + quoted(root / "none.jpg") + " Zoe").status, 1);
}

} // namespace
} // namespace orvella
