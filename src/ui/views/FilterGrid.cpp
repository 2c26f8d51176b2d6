#include "ui/views/FilterGrid.h"

#include "ui/views/StateIcons.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace orvella {

namespace {
constexpr int kColumnWidth = 32;
constexpr int kCellRole = Qt::UserRole + 1;
} // namespace

// Draws the header icons and the check boxes; the names are plain text.
class FilterGrid::CellPainter : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        int row = index.row(), column = index.column();
        if (column == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->fillRect(option.rect, option.palette.base());
        if (row == 0) {
            if (column >= 2) {
                const QPixmap& icon = StateIcons::all().at(static_cast<size_t>(column - 2));
                QPoint at = option.rect.center() - QPoint(icon.width() / 2, icon.height() / 2) +
                            QPoint(1, 1);
                painter->drawPixmap(at, icon);
            }
            return;
        }
        QStyleOptionButton box;
        box.rect =
            QApplication::style()->subElementRect(QStyle::SE_CheckBoxIndicator, &box, nullptr);
        box.rect.moveCenter(option.rect.center());
        box.state =
            QStyle::State_Enabled |
            (IsTickedCell(index.data(kCellRole).toString().toStdString()) ? QStyle::State_On
                                                                          : QStyle::State_Off);
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter);
    }
};

FilterGrid::FilterGrid(QWidget* parent) : QTableWidget(parent) {
    setObjectName("DrawGrid1");
    setColumnCount(FilterPanelState::ColCount());
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    verticalHeader()->setDefaultSectionSize(22);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setItemDelegate(new CellPainter(this));
    setStocks({});
}

void FilterGrid::setStocks(const std::vector<std::string>& names) {
    panel_.setStocks(names);
    refreshCells();
}

void FilterGrid::refreshCells() {
    setRowCount(panel_.RowCount());
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = item(row, column);
            if (!cell) {
                cell = new QTableWidgetItem;
                setItem(row, column, cell);
            }
            if (row > 0 && column == 0)
                cell->setText(
                    QString::fromStdString(panel_.rows()[static_cast<size_t>(row - 1)].stockName));
            else if (row > 0)
                cell->setData(kCellRole, QString::fromStdString(panel_.cell(column, row)));
        }
    viewport()->update();
}

void FilterGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || event->button() != Qt::LeftButton)
        return;
    panel_.clickCell(index.column(), index.row());
    refreshCells();
    emit edited();
}

} // namespace orvella
