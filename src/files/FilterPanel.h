#pragma once

#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"

#include <array>
#include <string>
#include <vector>

namespace orvella {

// The state columns of the filter grid, one per submission state in code
// order: Not ready, Ready to upload, Pending, Upload failed, Rejected,
// Accepted, Resubmit, Donated.
inline constexpr int kFilterStateColumns = 8;

// One stock row of the grid. A cell holding "0" is unticked; any other text,
// the empty text included, is ticked, so a new row passes everything.
struct FilterGridRow {
    std::string stockName;
    std::array<std::string, kFilterStateColumns> cells;
};

struct FilterFormat {
    std::string name;
    bool ticked = true;
};

// The format entries of the panel, in list order.
const std::vector<std::string>& FilterFormatNames();

inline bool IsTickedCell(const std::string& cell) {
    return cell != "0";
}

// What the filter panel holds: the stock and state grid and the format list,
// with the editing rules of the grid. Grid coordinates are those the window
// shows: row 0 is the header, column 0 the stock names, columns 1 to 8 the
// states.
class FilterPanelState {
public:
    FilterPanelState(); // no rows, every format ticked

    std::vector<FilterGridRow>& rows() { return rows_; }
    const std::vector<FilterGridRow>& rows() const { return rows_; }
    std::vector<FilterFormat>& formats() { return formats_; }
    const std::vector<FilterFormat>& formats() const { return formats_; }

    int RowCount() const { return static_cast<int>(rows_.size()) + 1; }
    static constexpr int ColCount() { return kFilterStateColumns + 1; }
    // The text of a state cell (column 1 to 8, row 1 to n).
    const std::string& cell(int column, int row) const;

    // The rows become these stocks, in order, every cell ticked.
    void setStocks(const std::vector<std::string>& names);
    // A click released over a cell: the corner inverts every state cell, a
    // column or row header ticks or unticks the whole line by how many of its
    // cells are ticked, a state cell is inverted.
    void clickCell(int column, int row);
    // Every format entry and every state cell inverted.
    void invert();

private:
    void setColumn(int column, bool ticked);
    void setRow(int row, bool ticked);

    std::vector<FilterGridRow> rows_;
    std::vector<FilterFormat> formats_;
};

// Whether some ticked format entry accepts the file name.
bool PassesFormatFilter(const std::string& fileName, const std::vector<FilterFormat>& formats);

// Whether an image with these submission states passes the grid; rowStockIds
// holds the stock id of each grid row (-1 for a name that is no stock).
bool PassesStateFilter(const TStockStates& states, const FilterPanelState& panel,
                       const std::vector<int32_t>& rowStockIds);

// One item of the view, as the filter needs it.
struct FilteredItem {
    std::string MD5;
    std::string FileName;
};

// Which items the panel lets through, in item order. The states of all the
// items are read in a few statements rather than one per item.
std::vector<bool> FilterPanelVisibility(TCatalogueConnection& connection,
                                        const FilterPanelState& panel,
                                        const std::vector<FilteredItem>& items);

// The caption of the view's first group after the panel was applied.
std::string FilteredCaption(int visible, int all);

} // namespace orvella
