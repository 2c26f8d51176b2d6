#pragma once

#include "ui/pages/Page.h"

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
