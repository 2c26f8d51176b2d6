#pragma once

#include "files/FilterPanel.h"
#include "ui/pages/Page.h"

class QCheckBox;
class QListWidget;

namespace orvella {

class FilterGrid;

// The bottom page "Filter" of the image list: the stock and state grid
// ("DrawGrid1"), the file formats ("clbFormats"), "Apply filter"
// ("cbFilter"), and the buttons that load, save and invert a preset.
class FilterPanel : public Page {
    Q_OBJECT
public:
    explicit FilterPanel(WindowContext& context, QWidget* parent = nullptr);

    // The grid's rows become these stocks (the enabled stocks, in order).
    void showStocks(const TStockList& stocks);
    // What the panel holds, formats included.
    const FilterPanelState& panel() const;
    bool applying() const;
    void setApplying(bool applying);
    // The preset commands, through the prompts' file dialogs.
    void saveFilter();
    void loadFilter();
    void invertFilter();

signals:
    // "Apply filter" was ticked, or a format changed while it is.
    void applyRequested();
    // "Apply filter" was unticked: the view shows every item again.
    void filterCleared();

protected:
    void activated() override;

private:
    void readFormats();
    void showFormats();
    void gridEdited();

    FilterGrid* grid_;
    QListWidget* formats_;
    QCheckBox* apply_;
    bool updating_ = false;
};

} // namespace orvella
