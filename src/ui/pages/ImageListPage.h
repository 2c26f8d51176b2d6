#pragma once

#include "files/CatalogueViews.h"
#include "ui/pages/Page.h"
#include "upload/SubmissionStates.h"
#include "upload/UploadList.h"

#include <optional>

class QMenu;
class QSplitter;

namespace orvella {

class CatalogueView;
class FilterPanel;
class FolderView;
class ImageListView;
class PageControl;

// The centre pane's "Files" page: the main image list, which the image
// selection follows, with the bottom pages "IPTC Pattern" and "Filter".
class ImageListPage : public Page {
    Q_OBJECT
public:
    explicit ImageListPage(WindowContext& context, QWidget* parent = nullptr);
    ~ImageListPage() override;

    // Lists a folder, replacing what the list shows; empty text lists nothing.
    void showFolder(const QString& folder);
    void stopLoading();
    bool isLoading() const;
    // No folder loader runs, stopped ones included.
    bool isIdle() const;
    // Shows a view of the catalogue instead of a folder: the category view
    // fills the list from a worker thread, the others at once. Each start
    // stops the folder loader and the view before it.
    void showCatalogueView(const CatalogueViewSettings& settings);
    // The view shown again (the folder or the catalogue view), with every item.
    void reloadView();
    // The filter panel applied to the items; returns how many stay visible.
    int applyFilterPanel();
    // The entries as the Uploads page sends them: checked state and group.
    std::vector<UploadListEntry> uploadEntries() const;
    // The selected entries in selection order, for the state setting.
    std::vector<SelectedImage> selectedImages() const;
    // Unchecks and hides the entries no longer ready at their group's stock.
    void hideEntriesNotReady();
    FilterPanel& filterPanel() const { return *filter_; }
    ImageListView* list() const { return list_; }

    // Whether the widget (at a drop position) is part of the list.
    bool covers(const QWidget* target) const;
    // The desktop's actions for files in the popup (the option ExplorerMenu).
    void setExplorerMenu(bool on) { explorerMenu_ = on; }

    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;

private:
    void buildPopup();
    void bindCommands();
    void showFileMenu(const QPoint& position);
    void invertSelection();
    void startRename();
    void openFile(const QModelIndex& index);

    QSplitter* splitter_;
    ImageListView* list_;
    PageControl* bottom_;
    FolderView* view_;
    CatalogueView* catalogueView_;
    FilterPanel* filter_;
    std::optional<CatalogueViewSettings> shownView_; // none while a folder is shown
    QMenu* popup_ = nullptr;
    bool explorerMenu_ = false;
};

} // namespace orvella
