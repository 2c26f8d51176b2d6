#pragma once

#include <QTabWidget>

class QTreeView;
class QTreeWidget;
class QListWidget;
class QLineEdit;
class QPushButton;
class QLabel;
class QProgressBar;
class QFileSystemModel;

namespace orvella {

class CommandTable;

// The left pane, page control PageControl1: "Files" (folder tree and keyword
// search), "Catalog", "Stocks" and "Uploads".
class LeftPane : public QTabWidget {
    Q_OBJECT
public:
    enum Page { FilesPage, CatalogPage, StocksPage, UploadsPage };

    LeftPane(const CommandTable& commands, QWidget* parent = nullptr);

    QTreeView* Tree() const { return tree_; }
    QFileSystemModel* TreeModel() const { return treeModel_; }
    QTreeWidget* CategoryTree() const { return categoryTree_; }
    QListWidget* Log() const { return lbLog_; }

private:
    QWidget* buildFilesPage();
    QWidget* buildCatalogPage(const CommandTable& commands);
    QWidget* buildStocksPage();
    QWidget* buildUploadsPage();

    QTreeView* tree_ = nullptr;
    QFileSystemModel* treeModel_ = nullptr;
    QTreeWidget* categoryTree_ = nullptr;
    QListWidget* lbLog_ = nullptr;
};

} // namespace orvella
