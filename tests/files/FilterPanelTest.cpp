// The filter panel: the grid's editing rules, the format and state tests,
// and the panel applied to the items of a view.
#include "files/FilterPanel.h"
#include "../catalogue/OperationsFixture.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;

// A grid of stocks "S1".."Sn" whose column c has the first `ticked` cells
// ticked and the others unticked.
FilterPanelState gridWithColumn(int rows, int column, int ticked) {
    FilterPanelState panel;
    std::vector<std::string> names;
    for (int r = 1; r <= rows; ++r)
        names.push_back("S" + std::to_string(r));
    panel.setStocks(names);
    for (int r = 0; r < rows; ++r)
        panel.rows()[static_cast<size_t>(r)].cells[static_cast<size_t>(column - 1)] =
            r < ticked ? "1" : "0";
    return panel;
}

std::vector<std::string> column(const FilterPanelState& panel, int c) {
    std::vector<std::string> cells;
    for (int r = 1; r < panel.RowCount(); ++r)
        cells.push_back(panel.cell(c, r));
    return cells;
}

TEST(FilterPanelTest, ColumnHeaderTicksOrUnticksByHowManyAreTicked) {
    const struct {
        int rows, ticked;
        const char* result;
    } cases[] = {{5, 3, "0"}, {5, 2, "1"}, {5, 5, "0"}, {5, 0, "1"}, {1, 1, "0"}, {2, 1, "0"}};
    for (const auto& c : cases) {
        FilterPanelState panel = gridWithColumn(c.rows, 1, c.ticked);
        panel.clickCell(1, 0);
        EXPECT_EQ(column(panel, 1), std::vector<std::string>(static_cast<size_t>(c.rows), c.result))
            << c.rows << " rows, " << c.ticked << " ticked";
        EXPECT_EQ(panel.cell(2, 1), "") << "other columns are left alone";
    }
}

TEST(FilterPanelTest, RowHeaderCornerAndCellEdits) {
    FilterPanelState panel = gridWithColumn(2, 1, 0);
    // Row 1: one of eight unticked, so seven ticked > 3: the row is unticked.
    panel.clickCell(0, 1);
    EXPECT_THAT(panel.rows()[0].cells, ::testing::Each("0"));
    panel.clickCell(0, 1);
    EXPECT_THAT(panel.rows()[0].cells, ::testing::Each("1"));

    panel.clickCell(3, 2); // an empty cell counts as ticked
    EXPECT_EQ(panel.cell(3, 2), "0");
    panel.clickCell(3, 2);
    EXPECT_EQ(panel.cell(3, 2), "1");

    panel.clickCell(0, 0);
    EXPECT_EQ(panel.cell(1, 2), "1");
    EXPECT_EQ(panel.cell(2, 2), "0");
    EXPECT_THAT(panel.rows()[0].cells, ::testing::Each("0"));

    panel.clickCell(9, 1); // outside the grid
    panel.clickCell(1, 3);
    EXPECT_EQ(panel.cell(1, 2), "1");
}

TEST(FilterPanelTest, InvertFlipsFormatsAndCells) {
    FilterPanelState panel = gridWithColumn(1, 2, 0);
    panel.formats()[1].ticked = false;
    panel.invert();
    EXPECT_FALSE(panel.formats()[0].ticked);
    EXPECT_TRUE(panel.formats()[1].ticked);
    EXPECT_EQ(panel.cell(1, 1), "0");
    EXPECT_EQ(panel.cell(2, 1), "1");
}

TEST(FilterPanelTest, FormatFilterPassesWhatATickedEntryAccepts) {
    FilterPanelState panel;
    EXPECT_THAT(FilterFormatNames(),
                ElementsAre("JPEG", "RAW", "EPS", "AI", "SVG", "ZIP", "BMP", "TIFF", "PNG", "PSD"));
    for (const char* name :
         {"a.JPG", "b.nef", "c.eps", "d.ai", "e.svg", "f.zip", "g.bmp", "h.tif", "i.png", "j.psd"})
        EXPECT_TRUE(PassesFormatFilter(name, panel.formats())) << name;
    EXPECT_FALSE(PassesFormatFilter("k.gif", panel.formats()));

    for (FilterFormat& format : panel.formats())
        format.ticked = format.name == "RAW";
    EXPECT_TRUE(PassesFormatFilter("b.cr2", panel.formats()));
    EXPECT_FALSE(PassesFormatFilter("a.jpg", panel.formats()));
    for (FilterFormat& format : panel.formats())
        format.ticked = false;
    EXPECT_FALSE(PassesFormatFilter("a.jpg", panel.formats()));
}

TEST(FilterPanelTest, StateFilterTakesOnlyTheRowsOfTheImagesStocks) {
    FilterPanelState panel;
    panel.setStocks({"A", "B"});
    const std::vector<int32_t> ids{10, 20};
    for (std::string& cell : panel.rows()[1].cells)
        cell = "0";                      // row B unticked everywhere
    TStockStates onlyA{{3, 10, "", {}}}; // Pending at A

    EXPECT_TRUE(PassesStateFilter(onlyA, panel, ids)) << "row B does not matter";
    panel.rows()[0].cells[2] = "0"; // A: Pending unticked
    EXPECT_FALSE(PassesStateFilter(onlyA, panel, ids));
    EXPECT_FALSE(PassesStateFilter({{3, 20, "", {}}}, panel, ids));

    FilterPanelState fresh;
    fresh.setStocks({"A", "B", "C"});
    EXPECT_TRUE(PassesStateFilter({}, fresh, {10, 20, 30}));
    fresh.rows()[2].cells[0] = "0"; // C: Not ready unticked
    EXPECT_FALSE(PassesStateFilter({}, fresh, {10, 20, 30})) << "an image without any state";
    EXPECT_TRUE(PassesStateFilter(onlyA, fresh, {10, 20, 30}));
}

class FilterVisibilityTest : public OperationsTest {};

TEST_F(FilterVisibilityTest, PanelDecidesEachItemFromTheCatalogue) {
    execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (1, 'Alpha', 1)");
    execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (2, 'Beta', 1)");
    for (char letter : {'a', 'b', 'c', 'd'})
        addImage(keyOf(letter), std::string(1, letter) + ".jpg");
    db->SetState(1, keyOf('a'), 3); // Pending at Alpha
    db->SetState(2, keyOf('b'), 6); // Accepted at Beta
    FilterPanelState panel;
    panel.setStocks({"Alpha", "Beta", "Gone"});
    panel.rows()[0].cells[2] = "0"; // Alpha: Pending hidden
    panel.rows()[2].cells[0] = "0"; // a stock that no longer exists: Not ready hidden

    std::vector<FilteredItem> items{{keyOf('a'), "a.jpg"},
                                    {std::string(32, 'b'), "b.jpg"},
                                    {keyOf('c'), "c.jpg"},
                                    {keyOf('d'), "d.gif"}};
    EXPECT_THAT(FilterPanelVisibility(*connection, panel, items),
                ElementsAre(false, true, false, false));
    EXPECT_EQ(FilteredCaption(1, 4), "Files (1/4) filtered");
}

} // namespace
} // namespace orvella::test
