#include "files/FullScan.h"
#include "MetadataFixtures.h"
#include "PictureFixtures.h"
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "files/PreviewCache.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <sys/stat.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

std::string iim(const std::vector<std::pair<int, std::string>>& datasets) {
    std::string stream;
    for (const auto& [number, value] : datasets)
        stream += test::iptcDataset(2, static_cast<uint8_t>(number), value);
    return stream;
}

const std::vector<std::pair<int, std::string>> kDatasets = {
    {25, "sunset"}, {25, "sea"}, {5, "Harbour"}, {80, "O'Brien"}};

// A JPEG with an EXIF block (Artist, Make) and an IPTC block.
std::string jpegWithMetadata(QRgb colour) {
    test::TiffBuilder exif;
    exif.ifd0 = {test::TiffBuilder::asciiEntry(0x010F, "Cam"),
                 test::TiffBuilder::asciiEntry(0x013B, "O'Brien")};
    return test::withSegments(test::EncodeJpeg({64, 48, colour}),
                              test::jpegSegment(0xE1, exif.exifPayload()) +
                                  test::jpegSegment(0xED, test::photoshopPayload(iim(kDatasets))));
}

// A TIFF header whose first directory holds Artist and the IPTC datasets.
std::string tiffWithMetadata() {
    test::TiffBuilder tiff;
    std::string datasets = iim(kDatasets);
    tiff.ifd0 = {test::TiffBuilder::asciiEntry(0x013B, "O'Brien"),
                 {33723, 7, static_cast<uint32_t>(datasets.size()), datasets}};
    return tiff.tiff();
}

class RecordingScan : public FullScanObserver {
public:
    std::vector<std::string> folders;
    std::vector<std::string> imported;
    std::function<void(const std::string&)> onFileStarted;
    int pumped = 0;

    void folderEntered(const fs::path& folder, int) override { folders.push_back(folder.string()); }
    void fileStarted(const std::string& name) override {
        if (onFileStarted)
            onFileStarted(name);
    }
    void fileImported(const THashData& file, int) override { imported.push_back(file.FileName); }
    void processEvents() override { ++pumped; }
};

struct FullScanTest : ::testing::Test {
    TempFolder root;
    fs::path photos = root / "Photos Mixed";
    fs::path cache = root / "MD5";
    fs::path history = root / "ScanHistory.dat";
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;
    RecordingScan observer;

    void SetUp() override {
        fs::create_directories(photos);
        fs::create_directories(cache);
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "Orvella.dat");
        connection = std::make_unique<TCatalogueConnection>(root / "Orvella.dat");
        db = std::make_unique<TStockDBObject>(*connection);
    }

    std::unique_ptr<TFullScan> scan(const fs::path& folder, bool subfolders = true,
                                    bool clearRO = true) {
        auto scanner = std::make_unique<TFullScan>(
            *db, FullScanSettings{cache, history, clearRO, false}, observer);
        scanner->Scan(folder, subfolders);
        return scanner;
    }
    fs::path jpeg(const fs::path& file, QRgb colour = qRgb(10, 200, 30)) {
        fs::create_directories(file.parent_path());
        test::WriteBytes(file, test::EncodeJpeg({40, 30, colour}));
        return file;
    }
    std::vector<std::string> column(const std::string& sql) {
        TQuery query(*connection);
        query.SetSQL(sql);
        query.Open();
        std::vector<std::string> values;
        for (; !query.Eof(); query.Next())
            values.push_back(query.FieldByName("NAME").AsString() + "=" +
                             query.FieldByName("AVALUE").AsString());
        return values;
    }
    std::vector<std::string> exifOf(const std::string& key) {
        return column("select T.TAG_NAME as NAME, E.AVALUE from EXIF E, EXIFTAG T where "
                      "E.EXIFTAG_ID = T.EXIFTAG_ID "
                      "and E.MD5 = " +
                      QuotedStr(key));
    }
    std::vector<std::string> iptcOf(const std::string& key) {
        return column("select T.DEFAULT_VALUE as NAME, I.AVALUE from IPTC I, IPTCTAG T where "
                      "I.TAG_ID = T.TAG_ID "
                      "and I.MD5 = " +
                      QuotedStr(key));
    }
};

TEST_F(FullScanTest, JpegAndTiffBringTheirMetadataAndPngOnlyItsRecord) {
    test::WriteBytes(photos / "photo.jpg", jpegWithMetadata(qRgb(200, 10, 10)));
    test::WriteBytes(photos / "shot.tif", tiffWithMetadata());
    QImage png(20, 10, QImage::Format_RGB32);
    png.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(png.save(QString::fromStdString((photos / "plain.png").string()), "PNG"));
    test::WriteBytes(photos / "notes.txt", "not catalogue material");

    auto scanner = scan(photos);

    EXPECT_THAT(observer.imported, UnorderedElementsAre("photo.jpg", "shot.tif", "plain.png"));
    for (const char* name : {"photo.jpg", "shot.tif"}) {
        std::string key = FileMD5(photos / name);
        EXPECT_EQ(db->GetImagePath(key), (photos / name).string());
        EXPECT_THAT(db->GetImageKeywords(key), ElementsAre("sunset", "sea")) << name;
        EXPECT_THAT(exifOf(key), ::testing::Contains("Artist=O'Brien")) << name;
        EXPECT_THAT(iptcOf(key), UnorderedElementsAre("ObjectName=Harbour", "ByLine=O'Brien"))
            << name;
    }
    EXPECT_THAT(exifOf(FileMD5(photos / "photo.jpg")), ::testing::Contains("Make=Cam"));
    std::string pngKey = FileMD5(photos / "plain.png");
    EXPECT_EQ(db->GetImagePath(pngKey), (photos / "plain.png").string());
    EXPECT_THAT(db->GetImageKeywords(pngKey), IsEmpty());
    EXPECT_THAT(exifOf(pngKey), IsEmpty());
    EXPECT_THAT(iptcOf(pngKey), IsEmpty());
    EXPECT_TRUE(fs::exists(PreviewCacheFile(cache, pngKey)));
    EXPECT_TRUE(fs::exists(PreviewCacheFile(cache, FileMD5(photos / "photo.jpg"))));
    EXPECT_EQ(scanner->ImportedFiles(), 3);
}

TEST_F(FullScanTest, OnlyPlainSubFoldersAreEntered) {
    jpeg(photos / "top.jpg");
    jpeg(photos / ".hidden" / "h.jpg");
    jpeg(photos / "locked" / "l.jpg");
    fs::permissions(photos / "locked", fs::perms::owner_write, fs::perm_options::remove);
    fs::create_directory_symlink(photos, photos / "loop");
    fs::create_directory_symlink(photos / "locked", photos / "link");

    auto scanner = scan(photos);

    EXPECT_THAT(observer.imported, ElementsAre("top.jpg"));
    EXPECT_EQ(scanner->ScannedFolders(), 1);
    EXPECT_THAT(ReadScanHistory(history), ElementsAre(photos.string()));

    jpeg(photos / "plain sub" / "s.jpg", qRgb(1, 2, 3));
    observer.imported.clear();
    scan(photos, false);
    EXPECT_THAT(observer.imported, ElementsAre("top.jpg"));
    observer.imported.clear();
    scan(photos, true);
    EXPECT_THAT(observer.imported, UnorderedElementsAre("top.jpg", "s.jpg"));
    fs::permissions(photos / "locked", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(FullScanTest, ClearROGivesBackWriteOnlyToPlainReadOnlyFiles) {
    struct Case {
        const char* name;
        bool clearRO;
        bool writableAfter;
    };
    for (Case c : {Case{"readonly.jpg", true, true}, Case{".hidden.jpg", true, false},
                   Case{"kept.jpg", false, false}, Case{"notes.txt", true, true}}) {
        fs::path folder = root / c.name;
        fs::path file = jpeg(folder / c.name);
        fs::permissions(file,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        scan(folder, true, c.clearRO);
        bool writable =
            (fs::status(file).permissions() & fs::perms::owner_write) != fs::perms::none;
        EXPECT_EQ(writable, c.writableAfter) << c.name;
    }
}

TEST_F(FullScanTest, EveryScanAddsItsFolderAsFoundOnDisk) {
    jpeg(photos / "a.jpg");
    EXPECT_FALSE(IsFolderInScanHistory(history, photos));
    scan(photos);
    scan(photos);
    EXPECT_EQ(readFile(history), photos.string() + "\r\n" + photos.string() + "\r\n");
    EXPECT_TRUE(IsFolderInScanHistory(history, photos));
    EXPECT_FALSE(IsFolderInScanHistory(history, root / "photos mixed"));
    std::vector<std::string> leftovers;
    for (const auto& entry : fs::directory_iterator(root.path()))
        if (entry.path().filename().string().starts_with("~"))
            leftovers.push_back(entry.path().string());
    EXPECT_THAT(leftovers, IsEmpty());
}

TEST_F(FullScanTest, AFileCataloguedElsewhereKeepsItsRowAndGetsItsMetadata) {
    test::WriteBytes(photos / "photo.jpg", jpegWithMetadata(qRgb(20, 10, 200)));
    THashData elsewhere = ReadHashData(photos / "photo.jpg");
    elsewhere.MD5 = FileMD5(photos / "photo.jpg");
    elsewhere.FilePath = "/archive/2019";
    db->AddImage(elsewhere);

    scan(photos);

    EXPECT_EQ(db->GetImagePath(elsewhere.MD5), "/archive/2019/photo.jpg");
    EXPECT_THAT(db->GetImageKeywords(elsewhere.MD5), ElementsAre("sunset", "sea"));
    EXPECT_THAT(iptcOf(elsewhere.MD5), ::testing::Contains("ByLine=O'Brien"));
}

TEST_F(FullScanTest, CancelStopsEveryLevelAfterTheFileInHand) {
    for (int i = 0; i < 500; ++i)
        jpeg(photos / "deep" / ("f" + std::to_string(i) + ".jpg"), qRgb(i % 256, i / 256, 7));
    jpeg(photos / "outer.jpg");
    TFullScan* running = nullptr;
    int started = 0;
    observer.onFileStarted = [&](const std::string&) {
        if (++started == 10)
            running->Cancel();
    };
    TFullScan scanner(*db, FullScanSettings{cache, history, true, false}, observer);
    running = &scanner;

    scanner.Scan(photos, true);

    EXPECT_EQ(scanner.ImportedFiles(), 10);
    EXPECT_EQ(observer.imported.size(), 10u);
    EXPECT_THAT(ReadScanHistory(history), ElementsAre((photos / "deep").string(), photos.string()));
}

TEST(TiffIptc, DatasetsAreReadOnlyWithinTheFile) {
    TempFolder folder;
    std::string tiff = tiffWithMetadata();
    test::WriteBytes(folder / "whole.tif", tiff);
    EXPECT_EQ(ReadTiffIptc(folder / "whole.tif"), iim(kDatasets));
    test::WriteBytes(folder / "cut.tif", tiff.substr(0, tiff.size() - 10));
    EXPECT_EQ(ReadTiffIptc(folder / "cut.tif"), "");
    test::WriteBytes(folder / "junk.tif", "II*\0\xff\xff\xff\xff");
    EXPECT_EQ(ReadTiffIptc(folder / "junk.tif"), "");
}

} // namespace
} // namespace orvella
