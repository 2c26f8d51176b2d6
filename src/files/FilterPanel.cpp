#include "files/FilterPanel.h"

#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "files/FileKinds.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <unordered_map>

namespace orvella {

namespace {

// Keys per statement when the states of many items are read.
constexpr size_t kKeysPerStatement = 500;

using KindTest = bool (*)(std::string_view);

const std::vector<std::pair<std::string, KindTest>>& formatTests() {
    static const std::vector<std::pair<std::string, KindTest>> tests{
        {"JPEG", IsJpegFile},      {"RAW", IsRawFile},   {"EPS", IsPostScriptFile},
        {"AI", IsIllustratorFile}, {"SVG", IsSvgFile},   {"ZIP", IsZipFile},
        {"BMP", IsBitmapFile},     {"TIFF", IsTiffFile}, {"PNG", IsPngFile},
        {"PSD", IsPhotoshopFile}};
    return tests;
}

std::string inverted(const std::string& cell) {
    return IsTickedCell(cell) ? "0" : "1";
}

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The states of every key, read in chunks of keys.
std::unordered_map<std::string, TStockStates> statesOf(TCatalogueConnection& connection,
                                                       const std::vector<FilteredItem>& items,
                                                       const std::vector<bool>& wanted) {
    std::unordered_map<std::string, TStockStates> states;
    std::vector<std::string> keys;
    for (size_t i = 0; i < items.size(); ++i)
        if (wanted[i])
            keys.push_back(items[i].MD5);
    TQuery query(connection);
    for (size_t first = 0; first < keys.size(); first += kKeysPerStatement) {
        std::string list;
        for (size_t i = first; i < std::min(keys.size(), first + kKeysPerStatement); ++i)
            list += (list.empty() ? "" : ", ") + QuotedStr(keys[i]);
        query.SetSQL("select MD5, STOCK_ID, STATE_ID from IMAGE_STOCK where MD5 in (" + list +
                     ") order by STOCK_ID");
        query.Open();
        for (; !query.Eof(); query.Next()) {
            TStockState state;
            state.StockId = static_cast<int32_t>(query.FieldByName("STOCK_ID").AsInteger());
            state.State = StateOrdinalOf(query.FieldByName("STATE_ID").AsString());
            // Keys compare without regard to case in the catalogue.
            states[upper(query.FieldByName("MD5").AsString())].push_back(state);
        }
    }
    return states;
}

} // namespace

const std::vector<std::string>& FilterFormatNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const auto& [name, test] : formatTests())
            list.push_back(name);
        return list;
    }();
    return names;
}

FilterPanelState::FilterPanelState() {
    for (const std::string& name : FilterFormatNames())
        formats_.push_back({name, true});
}

const std::string& FilterPanelState::cell(int column, int row) const {
    if (row < 1 || row > static_cast<int>(rows_.size()) || column < 1 ||
        column > kFilterStateColumns)
        throw std::out_of_range("no state cell at column " + std::to_string(column) + ", row " +
                                std::to_string(row));
    return rows_[static_cast<size_t>(row - 1)].cells[static_cast<size_t>(column - 1)];
}

void FilterPanelState::setStocks(const std::vector<std::string>& names) {
    rows_.clear();
    for (const std::string& name : names)
        rows_.push_back({name, {}});
}

void FilterPanelState::clickCell(int column, int row) {
    if (column < 0 || column >= ColCount() || row < 0 || row >= RowCount())
        return;
    if (row == 0 && column == 0) {
        for (FilterGridRow& line : rows_)
            for (std::string& cell : line.cells)
                cell = inverted(cell);
    } else if (row == 0) {
        int ticked = 0;
        for (const FilterGridRow& line : rows_)
            ticked += IsTickedCell(line.cells[static_cast<size_t>(column - 1)]) ? 1 : 0;
        setColumn(column, ticked <= (RowCount() - 2) / 2);
    } else if (column == 0) {
        int ticked = 0;
        for (const std::string& cell : rows_[static_cast<size_t>(row - 1)].cells)
            ticked += IsTickedCell(cell) ? 1 : 0;
        setRow(row, ticked <= (ColCount() - 2) / 2);
    } else {
        std::string& cell =
            rows_[static_cast<size_t>(row - 1)].cells[static_cast<size_t>(column - 1)];
        cell = inverted(cell);
    }
}

void FilterPanelState::setColumn(int column, bool ticked) {
    for (FilterGridRow& line : rows_)
        line.cells[static_cast<size_t>(column - 1)] = ticked ? "1" : "0";
}

void FilterPanelState::setRow(int row, bool ticked) {
    for (std::string& cell : rows_[static_cast<size_t>(row - 1)].cells)
        cell = ticked ? "1" : "0";
}

void FilterPanelState::invert() {
    for (FilterFormat& format : formats_)
        format.ticked = !format.ticked;
    for (FilterGridRow& line : rows_)
        for (std::string& cell : line.cells)
            cell = inverted(cell);
}

bool PassesFormatFilter(const std::string& fileName, const std::vector<FilterFormat>& formats) {
    for (const FilterFormat& format : formats) {
        if (!format.ticked)
            continue;
        for (const auto& [name, test] : formatTests())
            if (name == format.name && test(fileName))
                return true;
    }
    return false;
}

bool PassesStateFilter(const TStockStates& states, const FilterPanelState& panel,
                       const std::vector<int32_t>& rowStockIds) {
    bool hasAnyState = false;
    for (const TStockState& state : states)
        hasAnyState = hasAnyState || state.State > 0;
    for (int row = 1; row < panel.RowCount(); ++row) {
        int32_t stockId = rowStockIds.at(static_cast<size_t>(row - 1));
        if (!hasAnyState) {
            if (!IsTickedCell(panel.cell(1, row)))
                return false;
            continue;
        }
        for (const TStockState& state : states)
            if (state.State > 0 && state.StockId == stockId &&
                !IsTickedCell(panel.cell(state.State, row)))
                return false;
    }
    return true;
}

std::vector<bool> FilterPanelVisibility(TCatalogueConnection& connection,
                                        const FilterPanelState& panel,
                                        const std::vector<FilteredItem>& items) {
    std::vector<bool> visible(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        visible[i] = PassesFormatFilter(items[i].FileName, panel.formats());
    if (panel.rows().empty())
        return visible;
    std::vector<int32_t> rowStockIds;
    TStockDBObject catalogue(connection);
    for (const FilterGridRow& row : panel.rows())
        rowStockIds.push_back(catalogue.GetStockId(row.stockName));
    std::unordered_map<std::string, TStockStates> states = statesOf(connection, items, visible);
    static const TStockStates none;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!visible[i])
            continue;
        auto found = states.find(upper(items[i].MD5));
        visible[i] =
            PassesStateFilter(found == states.end() ? none : found->second, panel, rowStockIds);
    }
    return visible;
}

std::string FilteredCaption(int visible, int all) {
    return "Files (" + std::to_string(visible) + "/" + std::to_string(all) + ") filtered";
}

} // namespace orvella
