// Writing the text fields and keywords of images into their files.
#include "KeywordingFixture.h"

#include "metadata/ExifGrid.h"

#include <sys/stat.h>

namespace orvella {
namespace {

using namespace test;
namespace fs = std::filesystem;

constexpr uint8_t kObjectName = 5, kKeywords = 25, kCopyright = 116, kContact = 118, kCaption = 120;

using ImageInfoEditorTest = KeywordingTest;

TEST_F(ImageInfoEditorTest, FieldGoesIntoEverySelectedFileAndNothingElseChanges) {
    std::vector<TImageData> selection = {
        addPicture("a.jpg", {{kCopyright, "Ann"}, {kKeywords, "sea"}, {kKeywords, "red boat"}}),
        addPicture("b.jpg"),
        addPicture("c.eps", "%!PS-Adobe-3.0 EPSF-3.0\n"),
        addPicture("d.jpg", {{kObjectName, "old"}, {kCaption, "text"}}),
    };
    std::string pictureBefore(scanData(readFile(selection[0].FullName)));
    editor->WriteIPTCField(selection, "ObjectName", "Harbour at dawn");

    PeerIptc a = exiftoolIptc(selection[0].FullName);
    EXPECT_EQ(a["ObjectName"], std::vector<std::string>{"Harbour at dawn"});
    EXPECT_EQ(a["CopyrightNotice"], std::vector<std::string>{"Ann"});
    EXPECT_EQ(a["Keywords"], (std::vector<std::string>{"sea", "red boat"}));
    EXPECT_EQ(scanData(readFile(selection[0].FullName)), pictureBefore);
    EXPECT_EQ(exiftoolIptc(selection[1].FullName)["ObjectName"],
              std::vector<std::string>{"Harbour at dawn"});
    EXPECT_EQ(readFile(selection[2].FullName), "%!PS-Adobe-3.0 EPSF-3.0\n");
    PeerIptc d = exiftoolIptc(selection[3].FullName);
    EXPECT_EQ(d["ObjectName"], std::vector<std::string>{"Harbour at dawn"});
    EXPECT_EQ(d["Caption-Abstract"], std::vector<std::string>{"text"});
}

TEST_F(ImageInfoEditorTest, EmptyValueClearsTheDatasetOrCreatesAnEmptyOne) {
    std::vector<TImageData> selection = {
        addPicture("had.jpg", {{kCaption, "a description"}, {kObjectName, "name"}}),
        addPicture("plain.jpg"),
        addPicture("other.jpg", {{kContact, "me"}}),
    };
    editor->WriteIPTCField(selection, "ImageCaption", "");
    for (const TImageData& image : selection) {
        PeerIptc peer = exiftoolIptc(image.FullName);
        EXPECT_EQ(peer["Caption-Abstract"], std::vector<std::string>{""}) << image.FileName;
    }
    EXPECT_EQ(exiftoolIptc(selection[0].FullName)["ObjectName"], std::vector<std::string>{"name"});
    EXPECT_EQ(exiftoolIptc(selection[2].FullName)["Contact"], std::vector<std::string>{"me"});
    EXPECT_EQ(ImageInfoEditor::ReadInfoFields(selection[0].FullName).description, "");
}

TEST_F(ImageInfoEditorTest, ReadOnlyFileEndsTheWriteThereUnlessClearROIsOn) {
    for (bool clearReadOnly : {false, true}) {
        SCOPED_TRACE(clearReadOnly ? "ClearRO on" : "ClearRO off");
        std::string prefix = clearReadOnly ? "on-" : "off-";
        std::vector<TImageData> selection = {addPicture(prefix + "1.jpg"),
                                             addPicture(prefix + "2.jpg"),
                                             addPicture(prefix + "3.jpg")};
        fs::permissions(selection[1].FullName, fs::perms::owner_write, fs::perm_options::remove);
        setOption("ClearRO", clearReadOnly);
        if (!clearReadOnly) {
            try {
                editor->WriteIPTCField(selection, "Copyright", "Ann");
                FAIL() << "the read-only file was written";
            } catch (const EImageWriteError& error) {
                EXPECT_EQ(error.file(), fs::path(selection[1].FullName));
                EXPECT_NE(std::string(error.what()).find("2.jpg is read-only"), std::string::npos)
                    << error.what();
            }
            EXPECT_EQ(exiftoolIptc(selection[0].FullName)["CopyrightNotice"],
                      std::vector<std::string>{"Ann"});
            EXPECT_EQ(readFile(selection[1].FullName), original(selection[1]));
            EXPECT_EQ(readFile(selection[2].FullName), original(selection[2]));
        } else {
            editor->WriteIPTCField(selection, "Copyright", "Ann");
            for (const TImageData& image : selection)
                EXPECT_EQ(exiftoolIptc(image.FullName)["CopyrightNotice"],
                          std::vector<std::string>{"Ann"});
        }
    }
}

TEST_F(ImageInfoEditorTest, FileThatIsNoJpegEndsTheWriteNamingIt) {
    std::vector<TImageData> selection = {addPicture("fake.jpg", "not a picture"),
                                         addPicture("real.jpg")};
    EXPECT_THROW(
        {
            try {
                editor->WriteIPTCField(selection, "ObjectName", "x");
            } catch (const EImageWriteError& error) {
                EXPECT_EQ(error.file().filename(), "fake.jpg");
                throw;
            }
        },
        EImageWriteError);
    EXPECT_EQ(readFile(selection[0].FullName), "not a picture");
    EXPECT_EQ(readFile(selection[1].FullName), original(selection[1]));
    EXPECT_THROW(editor->WriteIPTCField(selection, "NoSuchDataset", "x"), std::invalid_argument);
}

TEST_F(ImageInfoEditorTest, KeywordPhrasesAreOneDatasetEachWhateverTheFileHeld) {
    struct Case {
        const char* name;
        std::vector<std::pair<uint8_t, std::string>> datasets;
    };
    const Case cases[] = {
        {"none.jpg", {}},
        {"no-keywords.jpg", {{kObjectName, "name"}}},
        {"keywords.jpg", {{kKeywords, "old"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TImageData image = addPicture(c.name, c.datasets);
        giveKeywords(image, {"red apple", "fruit"});
        editor->SaveKeywordsToFile(image.FullName, image.MD5, false);
        EXPECT_EQ(fileKeywords(image), (std::vector<std::string>{"red apple", "fruit"}));
    }
}

TEST_F(ImageInfoEditorTest, MergeFlagDecidesWhetherTheFilesKeywordsSurvive) {
    for (bool merge : {true, false}) {
        SCOPED_TRACE(merge ? "merge on" : "merge off");
        TImageData image =
            addPicture(merge ? "on.jpg" : "off.jpg", {{kKeywords, "cat"}, {kKeywords, "dog"}});
        giveKeywords(image, {"bird"});
        editor->SaveKeywordsToFile(image.FullName, image.MD5, merge);
        std::vector<std::string> expected = merge ? std::vector<std::string>{"bird", "cat", "dog"}
                                                  : std::vector<std::string>{"bird"};
        EXPECT_EQ(fileKeywords(image), expected);
        EXPECT_EQ(keywordsOf(image), expected);
    }
}

TEST_F(ImageInfoEditorTest, ImageWithoutKeywordsLosesTheFilesKeywordsAndUnknownImagesAreSkipped) {
    TImageData image = addPicture("a.jpg", {{kKeywords, "cat"}, {kObjectName, "name"}});
    editor->SaveKeywordsToFile(image.FullName, image.MD5, false);
    PeerIptc peer = exiftoolIptc(image.FullName);
    EXPECT_EQ(peer.count("Keywords"), 0u);
    EXPECT_EQ(peer["ObjectName"], std::vector<std::string>{"name"});

    TImageData unknown = addPicture("b.jpg", {{kKeywords, "cat"}});
    std::string before = readFile(unknown.FullName);
    editor->SaveKeywordsToFile(unknown.FullName, "", true);
    editor->ImportFileKeywords(unknown.FullName, "");
    EXPECT_EQ(readFile(unknown.FullName), before);
}

TEST_F(ImageInfoEditorTest, ImportAddsTheFilesKeywordsWithoutWritingTheFile) {
    TImageData image =
        addPicture("a.jpg", {{kKeywords, "red apple"}, {kKeywords, "Sky"}, {kKeywords, " "}});
    giveKeywords(image, {"sky"});
    std::string before = readFile(image.FullName);
    editor->ImportFileKeywords(image.FullName, image.MD5);
    EXPECT_EQ(keywordsOf(image), (std::vector<std::string>{"sky", "red apple"}));
    EXPECT_EQ(readFile(image.FullName), before);
    EXPECT_EQ(count("select * from KEYWORDS where trim(KEYWORD) = ''"), 0u);
}

TEST_F(ImageInfoEditorTest, SynchronizeGivesEveryImageTheUnionInCatalogueAndFiles) {
    std::vector<TImageData> selection = {addPicture("a.jpg"), addPicture("b.jpg"),
                                         addPicture("c.jpg", {{kKeywords, "from file"}})};
    giveKeywords(selection[0], {"a"});
    giveKeywords(selection[1], {"b"});
    giveKeywords(selection[2], {"c"});
    editor->Synchronize(selection, progress);
    EXPECT_EQ(keywordsOf(selection[0]), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(keywordsOf(selection[1]), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(keywordsOf(selection[2]), (std::vector<std::string>{"c", "a", "b", "from file"}));
    EXPECT_EQ(fileKeywords(selection[0]), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(fileKeywords(selection[1]), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(fileKeywords(selection[2]), (std::vector<std::string>{"c", "a", "b", "from file"}));
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"open 2", "step 0", "step 1", "step 2", "close"}));

    std::string before = readFile(selection[0].FullName);
    progress.events.clear();
    editor->Synchronize({selection[0]}, progress);
    EXPECT_EQ(readFile(selection[0].FullName), before);
    EXPECT_TRUE(progress.events.empty());
}

TEST_F(ImageInfoEditorTest, InfoFieldsAndIptcRowsAsTheFileHoldsThem) {
    TImageData image = addPicture("a.jpg", {{kObjectName, "Name"},
                                            {kCaption, "line one\r\nline two"},
                                            {kCopyright, "Ann"},
                                            {kContact, "ann@example.org"},
                                            {kKeywords, "red apple"}});
    ImageInfoFields fields = ImageInfoEditor::ReadInfoFields(image.FullName);
    EXPECT_EQ(fields.name, "Name");
    EXPECT_EQ(fields.description, "line one\r\nline two");
    EXPECT_EQ(fields.copyright, "Ann");
    EXPECT_EQ(fields.contact, "ann@example.org");
    std::vector<IptcGridRow> rows = ImageInfoEditor::IptcGridRows(image.FullName);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (IptcGridRow{"Object name", "Name"}));

    TImageData plain = addPicture("plain.jpg");
    EXPECT_EQ(ImageInfoEditor::IptcGridRows(plain.FullName),
              (std::vector<IptcGridRow>{{"IPTC data", "No IPTC data"}}));
    EXPECT_TRUE(ImageInfoEditor::IptcGridRows(folder / "missing.jpg").empty());
    EXPECT_EQ(ImageInfoEditor::ReadInfoFields(folder / "missing.jpg").name, "");
}

// A file made by the peer tool with camera EXIF and an XMP packet.
TEST_F(ImageInfoEditorTest, ExifOfAPeerMadeFileAndClearingItKeepsXmpAndPixels) {
    TImageData image = addPicture("camera.jpg", plainJpeg(64, 48));
    CommandResult made = runCommand(
        "exiftool -q -overwrite_original -Make=Maker -Model=M1 -ExposureTime=1/125 -FNumber=5.6 "
        "-ISO=200 -Orientation#=6 -GPSLatitude=48.5 -GPSLatitudeRef=N -XMP:Title=Harbour " +
        shellQuoted(image.FullName));
    ASSERT_EQ(made.status, 0) << made.output;
    std::map<std::string, std::string> shown;
    for (const auto& [name, value] : ExifGridRows(image.FullName))
        shown.emplace(name, value);
    EXPECT_EQ(shown["Make"], "Maker");
    EXPECT_EQ(shown["Model"], "M1");
    EXPECT_EQ(shown["ExposureTime"], "1/125 sec");
    EXPECT_EQ(shown["FNumber"], "F5.6");
    EXPECT_EQ(shown["ISOSpeedRatings"], "200");
    EXPECT_EQ(shown["Orientation"], "CounterClockwise 90\xC2\xB0");
    EXPECT_EQ(shown["GPSLatitude"], "48 Degrees 30 Minutes 0 Seconds");

    std::string pictureBefore(scanData(readFile(image.FullName)));
    TImageData plain = addPicture("plain.jpg");
    EXPECT_EQ(editor->ClearExif({image, plain}, progress), 1);
    CommandResult after =
        runCommand("exiftool -S -EXIF:Make -XMP:Title " + shellQuoted(image.FullName));
    EXPECT_EQ(after.output, "Title: Harbour\n");
    EXPECT_EQ(scanData(readFile(image.FullName)), pictureBefore);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"open 1", "step 0", "step 1", "close"}));
}

} // namespace
} // namespace orvella
