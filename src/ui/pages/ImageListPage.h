#pragma once

#include "ui/pages/Page.h"

class QMenu;
class QSplitter;

namespace orvella {

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
    // Whether the widget (at a drop position) is part of the list.
    bool covers(const QWidget* target) const;

    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;

private:
    void buildPopup();
    void bindCommands();
    void showFileMenu(const QPoint& position);
    void invertSelection();

    QSplitter* splitter_;
    ImageListView* list_;
    PageControl* bottom_;
    FolderView* view_;
    QMenu* popup_ = nullptr;
    bool explorerMenu_ = false;
};

} // namespace orvella
