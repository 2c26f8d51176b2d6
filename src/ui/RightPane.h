#pragma once

#include <QTabWidget>

class QTableWidget;
class QTreeWidget;
class QTreeView;
class QListWidget;

namespace orvella {

class ImageListView;

// The right pane, page control PageControl2: "Stock Info", "Image Info",
// "Keywords", "Files" and "Model Release".
class RightPane : public QTabWidget {
    Q_OBJECT
public:
    enum Page { StockInfoPage, ImageInfoPage, KeywordsPage, FilesPage, ModelReleasePage };

    explicit RightPane(QWidget* parent = nullptr);

    QTreeView* Tree2() const { return tree2_; }
    ImageListView* Easy2() const { return easy2_; }
    QTableWidget* StockGrid() const { return stockGrid_; }

    // "Keywords (n)" while an image is shown, else "Keywords".
    void setKeywordCount(int count);
    void clearKeywordCount();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildStockInfoPage();
    QWidget* buildImageInfoPage();
    QWidget* buildInfoPage();
    QWidget* buildKeywordsPage();
    QWidget* buildFilesPage();
    QWidget* buildModelReleasePage();

    QTableWidget* stockGrid_ = nullptr;
    QTreeView* tree2_ = nullptr;
    ImageListView* easy2_ = nullptr;
};

} // namespace orvella
