#include "ui/pages/FilterPanel.h"

#include "files/FilterPresets.h"
#include "shell/Folders.h"
#include "shell/Prompts.h"
#include "ui/WidgetHelpers.h"
#include "ui/views/FilterGrid.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvella {

namespace {
const char* const kPresetFilter = "Filter presets (*.xml)";
} // namespace

FilterPanel::FilterPanel(WindowContext& context, QWidget* parent)
    : Page(context, "FilterPanel", parent) {
    auto* filter = named<QWidget>("tsFilter");
    grid_ = new FilterGrid(filter);
    formats_ = named<QListWidget>("clbFormats");
    apply_ = named<QCheckBox>("cbFilter", "Apply filter");
    auto* load = named<QPushButton>("btnLoadFilter", "Load filter");
    auto* save = named<QPushButton>("btnSaveFilter", "Save filter");
    auto* invert = named<QPushButton>("btnInvertFilter", "Invert filter");
    showFormats();

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {load, save, invert})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(apply_);
    right->addWidget(formats_, 1);
    auto* layout = new QHBoxLayout(filter);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    layout->addLayout(right);
    setContent(filter);

    connect(grid_, &FilterGrid::edited, this, &FilterPanel::gridEdited);
    connect(formats_, &QListWidget::itemChanged, this, [this] {
        if (updating_)
            return;
        readFormats();
        if (applying())
            emit applyRequested();
    });
    connect(apply_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            emit applyRequested();
        else
            emit filterCleared();
    });
    connect(load, &QPushButton::clicked, this, &FilterPanel::loadFilter);
    connect(save, &QPushButton::clicked, this, &FilterPanel::saveFilter);
    connect(invert, &QPushButton::clicked, this, &FilterPanel::invertFilter);
}

void FilterPanel::showStocks(const TStockList& stocks) {
    std::vector<std::string> names;
    for (const TStock& stock : stocks)
        names.push_back(stock.Name);
    grid_->setStocks(names);
}

const FilterPanelState& FilterPanel::panel() const {
    return grid_->panel();
}

bool FilterPanel::applying() const {
    return apply_->isChecked();
}

void FilterPanel::setApplying(bool applying) {
    apply_->setChecked(applying);
}

// Every edit of the grid unticks "Apply filter", which shows all items again.
void FilterPanel::gridEdited() {
    apply_->setChecked(false);
}

void FilterPanel::showFormats() {
    updating_ = true;
    formats_->clear();
    for (const FilterFormat& format : grid_->panel().formats()) {
        auto* item = new QListWidgetItem(QString::fromStdString(format.name), formats_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(format.ticked ? Qt::Checked : Qt::Unchecked);
    }
    updating_ = false;
}

void FilterPanel::readFormats() {
    std::vector<FilterFormat>& formats = grid_->panel().formats();
    for (int row = 0; row < formats_->count() && row < static_cast<int>(formats.size()); ++row)
        formats[static_cast<size_t>(row)].ticked = formats_->item(row)->checkState() == Qt::Checked;
}

// The formats and every state cell inverted; "Apply filter" keeps its state
// and the panel is not applied again.
void FilterPanel::invertFilter() {
    grid_->panel().invert();
    grid_->refreshCells();
    showFormats();
}

void FilterPanel::saveFilter() {
    std::filesystem::path folder = FilterPresetFolder(context().folders.ProgramFolder());
    std::optional<std::string> chosen =
        context().prompts.chooseFileToSave("Save filter", kPresetFilter, (folder / "").string());
    if (!chosen)
        return;
    try {
        SaveFilterPreset(grid_->panel(), WithPresetExtension(*chosen));
    } catch (const std::exception& error) {
        context().prompts.showMessage(error.what());
    }
}

void FilterPanel::loadFilter() {
    FilterPresetFolder(context().folders.ProgramFolder());
    std::optional<std::string> chosen =
        context().prompts.chooseFileToOpen("Load filter", kPresetFilter);
    if (!chosen || !std::filesystem::exists(*chosen))
        return;
    try {
        LoadFilterPreset(grid_->panel(), *chosen);
    } catch (const EFilterPresetError& error) {
        context().prompts.showMessage(error.what());
        return;
    }
    grid_->refreshCells();
    showFormats();
}

void FilterPanel::activated() {
    grid_->widenNameColumn();
}

} // namespace orvella
