#include "ui/views/StateGrid.h"

#include "shell/Log.h"
#include "ui/views/StateIcons.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>

namespace orvella {

namespace {
constexpr int kDefaultColumnWidth = 100;
constexpr int kRowHeight = 22;

bool isInside(const QWidget* widget, const QWidget* ancestor) {
    for (; widget; widget = widget->parentWidget())
        if (widget == ancestor)
            return true;
    return false;
}
} // namespace

StateGrid::StateGrid(QWidget* parent) : QTableWidget(parent) {
    setObjectName("StockGrid");
    setColumnCount(3);
    setHorizontalHeaderLabels({" Stock Name", " Image State", " Comment"});
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    setIconSize(QSize(StateIcons::kSize, StateIcons::kSize));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { selectCell(row, column); });
    connect(this, &QTableWidget::cellClicked, this,
            [this](int row, int column) { selectCell(row, column); });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &StateGrid::onFocusChanged);
}

// The focus moves while the widget is torn down; the grid is gone by then.
StateGrid::~StateGrid() {
    disconnect(focusWatch_);
}

void StateGrid::setStocks(const TStockList& stocks) {
    for (QComboBox* selector : selectors_)
        selector->deleteLater();
    selectors_.clear();
    stocks_ = stocks;
    currentRow_ = -1;
    setRowCount(static_cast<int>(stocks.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const TStock& stock = stocks[static_cast<size_t>(row)];
        auto* name = new QTableWidgetItem(QString::fromStdString(stock.Name));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        setItem(row, 0, name);
        auto* state = new QTableWidgetItem;
        state->setFlags(state->flags() & ~Qt::ItemIsEditable);
        setItem(row, 1, state);
        setItem(row, 2, new QTableWidgetItem);

        auto* selector = new QComboBox(viewport());
        selector->setObjectName(QString("StateSelector%1").arg(stock.StockId));
        for (const std::string& stateName : StateNames())
            selector->addItem(StateIcons::forStateName(QString::fromStdString(stateName)),
                              QString::fromStdString(stateName));
        selector->hide();
        int32_t stockId = stock.StockId;
        connect(selector, &QComboBox::activated, this, [this, stockId](int code) {
            hideSelectors();
            emit stateChosen(stockId, code);
        });
        selectors_.push_back(selector);
        logGuarded("Combobox added");
    }
}

void StateGrid::showStates(const std::string& key, const std::vector<StockStateRow>& rows) {
    setToolTip(QString::fromStdString(key));
    for (int row = 0; row < rowCount() && row < static_cast<int>(rows.size()); ++row) {
        QString stateName = QString::fromStdString(rows[static_cast<size_t>(row)].stateName);
        item(row, 1)->setText(stateName);
        item(row, 1)->setIcon(StateIcons::forStateName(stateName));
        item(row, 2)->setText(QString::fromStdString(rows[static_cast<size_t>(row)].comment));
    }
    viewport()->update();
}

void StateGrid::clearStates() {
    setToolTip(QString());
    for (int row = 0; row < rowCount(); ++row) {
        item(row, 1)->setText(QString());
        item(row, 1)->setIcon(QIcon());
        item(row, 2)->setText(QString());
    }
}

std::vector<std::string> StateGrid::comments() const {
    std::vector<std::string> texts;
    for (int row = 0; row < rowCount(); ++row)
        texts.push_back(item(row, 2)->text().toStdString());
    return texts;
}

void StateGrid::hideSelectors() {
    for (QComboBox* selector : selectors_)
        selector->hide();
    viewport()->update();
}

void StateGrid::selectCell(int row, int column) {
    hideSelectors();
    if (row < 0 || row >= rowCount())
        return;
    currentRow_ = row;
    if (column == 2)
        return;
    QComboBox* selector = selectors_[static_cast<size_t>(row)];
    QRect cell = visualItemRect(item(row, 1));
    selector->setGeometry(cell.left() + 1, cell.top(), columnWidth(1) - 2, cell.height());
    selector->setCurrentIndex(selector->findText(item(row, 1)->text()));
    selector->show();
    selector->setFocus();
}

void StateGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    hideSelectors();
}

void StateGrid::onFocusChanged(QWidget* old, QWidget* now) {
    if (isInside(old, this) && !isInside(now, this)) {
        hideSelectors();
        emit gridLeft();
    }
}

} // namespace orvella
