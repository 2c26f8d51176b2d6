#include "files/FileKinds.h"

#include <gtest/gtest.h>

#include <set>

namespace orvella {
namespace {

TEST(FileKindsTest, KindAndCatalogueMaterialByExtension) {
    struct Case {
        const char* path;
        const char* kind;
        bool catalogue;
    };
    const Case cases[] = {
        {"photo.Jpg", "JPEG", true},
        {"PHOTO.JFIF", "JPEG", true},
        {"/a/a.b.jpeg", "JPEG", true},
        {"photo.jpe", "none", true},
        {"scan.ps", "PostScript", false},
        {"art.EPS", "PostScript", true},
        {"icon.gif", "GIF", false},
        {"README", "none", false},
        {"/my.folder/file", "none", false},
        {"/home/me/IMG_1.CR2", "RAW", true},
        {"d.nef", "RAW", true},
        {"d.x3f", "RAW", true},
        {"p.png", "PNG", true},
        {"p.bmp", "BMP", true},
        {"p.DIB", "BMP", true},
        {"p.psd", "Photoshop", true},
        {"p.pdd", "Photoshop", true},
        {"a.zip", "ZIP", true},
        {"a.ai", "Illustrator", true},
        {"a.svg", "SVG", true},
        {"a.tif", "TIFF", true},
        {"a.TIFF", "TIFF", true},
        {"t.tga", "none", true},
        {"notes.txt", "none", false},
        {"photo.jpg.txt", "none", false},
        {"name.", "none", false},
        {"/photos/jpg", "none", false},
        {"x.jpgx", "none", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileKindName(c.path), c.kind);
        EXPECT_EQ(IsCatalogueFile(c.path, PictureDecoderList()), c.catalogue);
    }
}

// Every kind test agrees with the kind's name, and no file is of two kinds.
TEST(FileKindsTest, KindTestsAreDisjoint) {
    struct Test {
        const char* kind;
        bool (*test)(std::string_view);
    };
    const Test tests[] = {{"RAW", IsRawFile},
                          {"JPEG", IsJpegFile},
                          {"BMP", IsBitmapFile},
                          {"PostScript", IsPostScriptFile},
                          {"Photoshop", IsPhotoshopFile},
                          {"PNG", IsPngFile},
                          {"GIF", IsGifFile},
                          {"ZIP", IsZipFile},
                          {"Illustrator", IsIllustratorFile},
                          {"SVG", IsSvgFile},
                          {"TIFF", IsTiffFile}};
    for (const char* path : {"a.crw", "a.jpg", "a.bmp", "a.ps", "a.psd", "a.png", "a.gif", "a.zip",
                             "a.ai", "a.svg", "a.tiff", "a.jpe", "a"}) {
        SCOPED_TRACE(path);
        int holding = 0;
        for (const Test& t : tests) {
            EXPECT_EQ(t.test(path), FileKindName(path) == t.kind) << t.kind;
            holding += t.test(path) ? 1 : 0;
        }
        EXPECT_LE(holding, 1);
    }
}

TEST(FileKindsTest, ExtensionComesFromTheNameOnly) {
    EXPECT_EQ(FileExtension("/my.folder/file"), "");
    EXPECT_EQ(FileExtension("/a/b.tar.gz"), ".gz");
    EXPECT_EQ(FileExtension("name."), ".");
}

TEST(FileKindsTest, DecoderListHoldsEachExtensionOnce) {
    const std::vector<std::string>& list = PictureDecoderList();
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size());
    EXPECT_EQ(list.front(), "bmp");
    EXPECT_EQ(list.back(), "png");
    EXPECT_EQ(std::count(list.begin(), list.end(), "gif"), 0);
    EXPECT_FALSE(IsCatalogueFile("picture.pcx", {})) << "the caller's copy of the list decides";
    EXPECT_TRUE(IsCatalogueFile("picture.pcx", PictureDecoderList()));
}

} // namespace
} // namespace orvella
