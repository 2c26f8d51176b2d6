#include "ui/ImageListView.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

namespace orvella {

namespace {

constexpr int kCellWidth = ImageListView::kPictureSize + 24;
constexpr int kCellHeight = ImageListView::kPictureSize + 36;
constexpr int kGroupHeight = 24;

// Paints group captions as full-width lines, so each group starts a new row
// of thumbnails, and items as a picture above its caption.
class ImageListDelegate : public QStyledItemDelegate {
public:
    explicit ImageListDelegate(QListView* view) : QStyledItemDelegate(view), view_(view) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        if (index.data(ImageListModel::kIsGroupRole).toBool())
            return {std::max(kCellWidth, view_->viewport()->width() - 2 * view_->spacing() - 2),
                    kGroupHeight};
        return {kCellWidth, kCellHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.data(ImageListModel::kIsGroupRole).toBool())
            paintGroup(painter, option, index);
        else
            paintItem(painter, option, index);
    }

    // A click on the painted check box toggles it; a group's box sets all its items.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        QVariant state = index.data(Qt::CheckStateRole);
        if (!state.isValid() || event->type() != QEvent::MouseButtonRelease)
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        auto* click = static_cast<QMouseEvent*>(event);
        if (!checkBoxRect(option.rect).contains(click->position().toPoint()))
            return false;
        bool checked = static_cast<Qt::CheckState>(state.toInt()) == Qt::Checked;
        return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

    // A caption is edited in a box over its line, the name without its
    // extension selected, as file managers do.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        QRect cell = option.rect;
        int top = cell.top() + 4 + ImageListView::kPictureSize + 2;
        editor->setGeometry(cell.left() + 1, top, cell.width() - 2, editor->sizeHint().height());
    }

    // The view selects the whole text once the editor is set up: the name is
    // selected after that.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        QStyledItemDelegate::setEditorData(editor, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return;
        line->setAlignment(Qt::AlignHCenter); // as the caption is drawn
        QString caption = line->text();
        QString suffix = QFileInfo(caption).suffix();
        int name = static_cast<int>(caption.size() - (suffix.isEmpty() ? 0 : suffix.size() + 1));
        QMetaObject::invokeMethod(
            line, [line, name] { line->setSelection(0, name > 0 ? name : line->text().size()); },
            Qt::QueuedConnection);
    }

    static QRect checkBoxRect(const QRect& cell) {
        return {cell.left() + 2, cell.top() + 4, 16, 16};
    }

private:
    void paintCheckBox(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
        QVariant state = index.data(Qt::CheckStateRole);
        if (!state.isValid())
            return;
        QStyleOptionButton box;
        box.rect = checkBoxRect(option.rect);
        box.state = QStyle::State_Enabled;
        auto check = static_cast<Qt::CheckState>(state.toInt());
        box.state |= check == Qt::Checked            ? QStyle::State_On
                     : check == Qt::PartiallyChecked ? QStyle::State_NoChange
                                                     : QStyle::State_Off;
        QApplication::style()->drawControl(QStyle::CE_CheckBox, &box, painter);
    }

    void paintGroup(QPainter* painter, const QStyleOptionViewItem& option,
                    const QModelIndex& index) const {
        painter->save();
        QRect line = option.rect;
        paintCheckBox(painter, option, index);
        int textLeft = line.left() + (index.data(Qt::CheckStateRole).isValid() ? 22 : 4);
        QFont bold = option.font;
        bold.setBold(true);
        painter->setFont(bold);
        painter->setPen(option.palette.color(QPalette::Highlight));
        painter->drawText(QRect(textLeft, line.top(), line.width(), line.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, index.data(Qt::DisplayRole).toString());
        painter->drawLine(line.left(), line.bottom() - 2, line.right(), line.bottom() - 2);
        painter->restore();
    }

    void paintItem(QPainter* painter, const QStyleOptionViewItem& option,
                   const QModelIndex& index) const {
        painter->save();
        QRect cell = option.rect;
        if (option.state & QStyle::State_Selected)
            painter->fillRect(cell, option.palette.color(QPalette::Highlight).lighter(160));
        QRect frame(cell.left() + (cell.width() - ImageListView::kPictureSize) / 2, cell.top() + 4,
                    ImageListView::kPictureSize, ImageListView::kPictureSize);
        QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
        if (!picture.isNull())
            painter->drawPixmap(frame, picture);
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawRect(frame.adjusted(-1, -1, 0, 0));
        QRect text(cell.left() + 2, frame.bottom() + 4, cell.width() - 4,
                   cell.bottom() - frame.bottom() - 4);
        painter->setPen(option.palette.color(QPalette::Text));
        QString caption = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                        Qt::ElideMiddle, text.width());
        painter->drawText(text, Qt::AlignHCenter | Qt::AlignTop, caption);
        paintCheckBox(painter, option, index);
        painter->restore();
    }

    QListView* view_;
};

} // namespace

ImageListView::ImageListView(const char* name, QWidget* parent)
    : QListView(parent), model_(new ImageListModel(this)),
      header_(new QHeaderView(Qt::Horizontal, this)),
      headerModel_(new QStandardItemModel(0, 5, this)) {
    setObjectName(name);
    setModel(model_);
    setItemDelegate(new ImageListDelegate(this));
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(false);
    // Long lists are laid out a batch at a time between events, so the
    // window stays responsive while thousands of items arrive.
    setLayoutMode(QListView::Batched);
    setBatchSize(500);
    setSpacing(4);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionRectVisible(true);
    setDragEnabled(true);
    model_->setDragOrigin(name);
    // A double-click opens the file; a caption is edited only by the Rename command.
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    headerModel_->setHorizontalHeaderLabels(
        {"File Name", "Size", "Modified Date", "File Type", "Sent Date"});
    header_->setObjectName(QString(name) + "Header");
    header_->setModel(headerModel_);
    header_->setSectionsClickable(true);
    header_->setStretchLastSection(true);
    connect(header_, &QHeaderView::sectionClicked, this, &ImageListView::clickColumn);
    setViewportMargins(0, header_->sizeHint().height(), 0, 0);
}

void ImageListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    QRect area = contentsRect();
    header_->setGeometry(area.left(), area.top(), area.width(), header_->sizeHint().height());
}

void ImageListView::clickColumn(int column) {
    using Key = ImageListModel::SortKey;
    static const Key keys[] = {Key::Name, Key::Size, Key::Date, Key::Type};
    if (column >= NameColumn && column <= TypeColumn)
        sortKey_ = keys[column];
    reversed_ = column == lastColumn_ ? !reversed_ : false;
    lastColumn_ = column;
    model_->sort(sortKey_, reversed_);
}

std::vector<const ImageListItem*> ImageListView::selectedItems() const {
    QModelIndexList rows = selectionModel()->selectedIndexes();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<const ImageListItem*> items;
    for (const QModelIndex& row : rows)
        if (const ImageListItem* item = model_->itemAt(row))
            items.push_back(item);
    return items;
}

const ImageListItem* ImageListView::focusedItem() const {
    return model_->itemAt(currentIndex());
}

} // namespace orvella
