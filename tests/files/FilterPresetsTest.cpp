// Filter presets: the document written from the panel and read back into it.
#include "files/FilterPresets.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::HasSubstr;

class FilterPresetsTest : public ::testing::Test {
protected:
    FilterPresetsTest() { panel.setStocks({"Alpha", "Beta", "Gamma"}); }
    TempFolder folder;
    FilterPanelState panel;
};

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(FilterPresetsTest, SavedDocumentHoldsEveryNamedRowAndEveryFormat) {
    panel.rows()[1].stockName = "";
    panel.rows()[0].cells[2] = "0";
    panel.formats()[3].ticked = false;
    std::string xml = FilterPresetXml(panel);

    EXPECT_THAT(xml, HasSubstr("<Filter15>\n  <Stocks>\n    <Stock StockName=\"Alpha\">\n"
                               "      <State Value=\"\" StateName=\"isNotReady\" />\n"));
    EXPECT_THAT(xml, HasSubstr("<State Value=\"0\" StateName=\"isUploaded\" />"));
    EXPECT_EQ(occurrences(xml, "<Stock "), 2u);
    EXPECT_EQ(occurrences(xml, "<State "), 16u);
    EXPECT_THAT(xml, HasSubstr("<Format FormatName=\"JPEG\" Selected=\"True\" />"));
    EXPECT_THAT(xml, HasSubstr("<Format FormatName=\"AI\" Selected=\"False\" />"));
    EXPECT_LT(xml.find("</Stocks>"), xml.find("<Formats>"));
}

TEST_F(FilterPresetsTest, SaveAndLoadRoundTrip) {
    panel.rows()[2].cells[2] = "0";
    panel.rows()[0].cells[7] = "0";
    panel.formats()[0].ticked = false;
    std::filesystem::path file = FilterPresetFolder(folder.path()) / WithPresetExtension("mine");
    EXPECT_EQ(file, folder / "Filters" / "mine.xml");
    SaveFilterPreset(panel, file);

    FilterPanelState loaded;
    loaded.setStocks({"Gamma", "Alpha", "Beta"});
    LoadFilterPreset(loaded, file);
    EXPECT_EQ(loaded.rows()[0].stockName, "Gamma");
    EXPECT_EQ(loaded.cell(3, 1), "0") << "Pending is read back into column 3";
    EXPECT_EQ(loaded.cell(8, 2), "0");
    EXPECT_EQ(loaded.cell(1, 3), "1") << "an empty Value reads as ticked";
    EXPECT_FALSE(loaded.formats()[0].ticked);
    EXPECT_TRUE(loaded.formats()[1].ticked);
    EXPECT_EQ(WithPresetExtension("x.flt"), "x.flt");
}

TEST_F(FilterPresetsTest, LoadSkipsWhatThePanelDoesNotHave) {
    writeFile(
        folder / "old.xml",
        "<Whatever><Stocks>"
        "<Stock StockName=\"Deleted\"><State Value=\"0\" StateName=\"isNotReady\"/></Stock>"
        "<Stock StockName=\"Beta\"><State Value=\"0\" StateName=\"isDonated\"/>"
        "<State StateName=\"isAccepted\"/><State Value=\"0\" StateName=\"isSomething\"/></Stock>"
        "</Stocks><Other/><Formats><Format FormatName=\"GIF\" Selected=\"False\"/>"
        "<Format FormatName=\"PNG\"/></Formats></Whatever>");
    panel.rows()[1].cells[5] = "0";
    FilterPanelState before = panel;
    LoadFilterPreset(panel, folder / "old.xml");

    EXPECT_EQ(panel.rows()[0].cells, before.rows()[0].cells);
    EXPECT_EQ(panel.cell(8, 2), "0");
    EXPECT_EQ(panel.cell(6, 2), "1") << "an absent Value counts as ticked";
    EXPECT_EQ(panel.rows()[2].cells, before.rows()[2].cells);
    for (const FilterFormat& format : panel.formats())
        EXPECT_EQ(format.ticked, format.name != "PNG") << format.name; // Selected absent: false
}

TEST_F(FilterPresetsTest, ABrokenFileIsRefusedBeforeAnythingChanges) {
    writeFile(folder / "broken.xml",
              "<Filter15><Formats><Format FormatName=\"JPEG\" Selected=\"False\"/></Formats>");
    FilterPanelState before = panel;
    try {
        LoadFilterPreset(panel, folder / "broken.xml");
        FAIL() << "no error";
    } catch (const EFilterPresetError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Start-end tags mismatch"));
    }
    EXPECT_TRUE(panel.formats()[0].ticked);
    EXPECT_EQ(panel.rows()[0].cells, before.rows()[0].cells);
    EXPECT_THROW(LoadFilterPreset(panel, folder / "missing.xml"), EFilterPresetError);
}

} // namespace
} // namespace orvella::test
