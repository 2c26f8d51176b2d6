#pragma once

#include "files/FilterPanel.h"

#include <QTableWidget>

namespace orvella {

// The stock and state grid of the filter panel ("DrawGrid1"): row 0 holds the
// header (the state icons over columns 2 to 8), column 0 the stock names,
// the other cells check boxes, ticked unless their text is "0". A click
// released over a cell edits the grid by the panel's rules.
class FilterGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit FilterGrid(QWidget* parent = nullptr);

    FilterPanelState& panel() { return panel_; }
    const FilterPanelState& panel() const { return panel_; }
    // The rows become these stocks, every cell ticked.
    void setStocks(const std::vector<std::string>& names);
    // Shows the panel's cells again after a change made elsewhere.
    void refreshCells();
    // Column 0 as wide as a stock name needs.
    void widenNameColumn() { setColumnWidth(0, 96); }

signals:
    // A cell was edited by a click.
    void edited();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    class CellPainter;
    FilterPanelState panel_;
};

} // namespace orvella
