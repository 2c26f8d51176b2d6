#pragma once

#include "catalogue/StockDB.h"
#include "upload/SubmissionStates.h"

#include <QTableWidget>
#include <vector>

class QComboBox;

namespace orvella {

// The state grid of the "Stock Info" page ("StockGrid"): a row per stock of
// the stock list with the shown image's state and upload comment, and per
// row a state selector that appears over the state cell of the row chosen.
// Choosing a state and leaving the grid are reported; the page does the work
// through SubmissionStates.
class StateGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit StateGrid(QWidget* parent = nullptr);
    ~StateGrid() override;

    // Rows and selectors for the stock list (the previous selectors are freed).
    void setStocks(const TStockList& stocks);
    // The states of an image (its key is kept as the grid's hint).
    void showStates(const std::string& key, const std::vector<StockStateRow>& rows);
    // No image: the hint and the state and comment cells are cleared.
    void clearStates();
    std::string imageKey() const { return toolTip().toStdString(); }
    // The comment cell of every row, in row order.
    std::vector<std::string> comments() const;
    // The selector of a row, as the tests and the page reach it.
    QComboBox* selector(int row) const { return selectors_.at(static_cast<size_t>(row)); }
    int currentStockRow() const { return currentRow_; }
    void hideSelectors();
    // Places the selector of the row over its state cell (column 1 or 0).
    void selectCell(int row, int column);

signals:
    // A state was chosen in the selector of a stock.
    void stateChosen(int32_t stockId, int code);
    // The focus left the grid: the comments are to be saved.
    void gridLeft();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void onFocusChanged(QWidget* old, QWidget* now);

    TStockList stocks_;
    std::vector<QComboBox*> selectors_;
    int currentRow_ = -1;
    QMetaObject::Connection focusWatch_;
};

} // namespace orvella
