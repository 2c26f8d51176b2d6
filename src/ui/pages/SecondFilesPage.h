#pragma once

#include "ui/pages/Page.h"

#include <optional>

class QSplitter;
class QTreeView;

namespace orvella {

class FolderView;
class ImageListView;

// The right pane's "Files" page: a second folder tree with its own image
// list, loaded by its own folder loader.
class SecondFilesPage : public Page {
    Q_OBJECT
public:
    explicit SecondFilesPage(WindowContext& context, QWidget* parent = nullptr);
    ~SecondFilesPage() override;

    // Lists the folder selected in the tree.
    void loadSelectedFolder();
    QString selectedFolder() const;
    // Selects the folder in the tree, as the user does, which lists it; a
    // folder that is not there is ignored.
    void selectFolder(const QString& folder);
    // The folder files dropped at a global position go to, when the position
    // is over the page (target is the widget there): over the tree the folder
    // under it or the selected one, over the list the folder it shows.
    std::optional<QString> dropFolderAt(const QWidget* target, const QPoint& globalPosition) const;
    bool isLoading() const;
    void stopLoading();

    const char* visibilityOption() const override { return "tabfiles2"; }
    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;
    void refresh() override;

private:
    QSplitter* splitter_;
    QTreeView* tree_;
    ImageListView* list_;
    FolderView* view_;
};

} // namespace orvella
