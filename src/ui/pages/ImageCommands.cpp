#include "ui/pages/ImageCommands.h"

#include "metadata/ImageInfoEditor.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

namespace orvella {

std::vector<TImageData> selectedImages(const ImageSelection& selection) {
    std::vector<TImageData> images;
    for (const ImageListItem* item : selection.selected())
        images.push_back(item->data);
    return images;
}

std::vector<TImageData> firstSelectedImage(const ImageSelection& selection) {
    std::vector<const ImageListItem*> selected = selection.selected();
    if (selected.empty())
        return {};
    const ImageListItem* focused = selection.focused();
    for (const ImageListItem* item : selected)
        if (item == focused)
            return {item->data};
    return {selected.front()->data};
}

bool runFileCommand(QWidget* page, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const EImageWriteError& error) {
        showStatusMessage(page, QString::fromStdString(error.what()));
        return false;
    }
}

void showStatusMessage(QWidget* widget, const QString& text) {
    if (auto* window = qobject_cast<QMainWindow*>(widget->window()))
        window->statusBar()->showMessage(text);
}

} // namespace orvella
