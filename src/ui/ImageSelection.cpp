#include "ui/ImageSelection.h"

#include "ui/ImageListModel.h"
#include "ui/ImageListView.h"

#include <QItemSelectionModel>

namespace orvella {

void ImageSelection::attach(const ImageListView* list) {
    list_ = list;
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ImageSelection::notify);
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ImageSelection::notify);
    // A renamed focused image is shown again under its new name.
    connect(list->Items(), &ImageListModel::itemRenamed, this, [this](const QModelIndex& index) {
        if (index == list_->currentIndex())
            notify();
    });
}

const ImageListItem* ImageSelection::focused() const {
    return list_ ? list_->focusedItem() : nullptr;
}

std::vector<const ImageListItem*> ImageSelection::selected() const {
    return list_ ? list_->selectedItems() : std::vector<const ImageListItem*>{};
}

std::vector<const ImageListItem*> ImageSelection::listed() const {
    std::vector<const ImageListItem*> items;
    if (list_ == nullptr)
        return items;
    const ImageListModel* model = list_->Items();
    for (int row = 0; row < model->rowCount(); ++row)
        if (const ImageListItem* item = model->itemAt(model->index(row)))
            items.push_back(item);
    return items;
}

void ImageSelection::setCheckable(bool checkable) {
    if (checkable == checkable_)
        return;
    checkable_ = checkable;
    emit checkableChanged(checkable);
}

ImageSelection::Batch::~Batch() {
    if (--selection_.held_ == 0)
        selection_.notify();
}

void ImageSelection::notify() {
    if (held_ > 0)
        return;
    size_t count = selected().size();
    emit selectionChanged(static_cast<int>(count));
    if (count >= 2)
        return;
    if (const ImageListItem* item = focused())
        emit focusedImageChanged(*item);
}

} // namespace orvella
