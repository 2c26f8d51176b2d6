#pragma once

#include "ui/ImageListModel.h"

#include <QListView>

class QHeaderView;
class QStandardItemModel;

namespace orvella {

// A thumbnail view of 96 x 96 pictures with captions, in groups, with
// multi-select by rubber band and header columns that choose the order:
// "File Name", "Size", "Modified Date", "File Type", "Sent Date".
class ImageListView : public QListView {
    Q_OBJECT
public:
    static constexpr int kPictureSize = 96;
    enum Column { NameColumn, SizeColumn, DateColumn, TypeColumn, SentColumn };

    ImageListView(const char* name, QWidget* parent = nullptr);

    ImageListModel* Items() const { return model_; }
    QHeaderView* Header() const { return header_; }
    // A click on a header column: chooses the key, a second click on the same
    // column reverses the order; "Sent Date" keeps the current key.
    void clickColumn(int column);
    // The items selected, in row order.
    std::vector<const ImageListItem*> selectedItems() const;
    const ImageListItem* focusedItem() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ImageListModel* model_;
    QHeaderView* header_;
    QStandardItemModel* headerModel_;
    ImageListModel::SortKey sortKey_ = ImageListModel::SortKey::Name;
    bool reversed_ = false;
    int lastColumn_ = -1;
};

} // namespace orvella
