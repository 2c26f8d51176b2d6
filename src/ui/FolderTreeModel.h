#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QStringList>

#include <memory>
#include <vector>

namespace orvella {

// The folders of the file system under a few top-level roots (the home
// folder, the pictures folder, then "/"), so the folders a user works in are
// at hand without opening the whole tree. A folder is listed when it is first
// expanded; a folder reachable from two roots appears under both.
// An item's folder is its QFileSystemModel::FilePathRole data.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Roots that do not exist, and repeats, are left out.
    explicit FolderTreeModel(const QStringList& roots, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // The home folder, the pictures folder and "/", as the desktop names them.
    static QStringList desktopRoots();

    // The item of a folder, reached from the root that holds it most closely,
    // listing the folders on the way; invalid when the folder does not exist.
    QModelIndex indexOf(const QString& folder);
    QString folderOf(const QModelIndex& index) const;
    // Reads every listed folder again: new folders appear, gone ones leave.
    void relist();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    struct Node; // one folder of the tree, known only to the model

private:
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOfNode(const Node* node) const;
    void list(Node* node);
    void relist(Node* node);
    const Node* rootHolding(const QString& folder) const;

    std::vector<std::unique_ptr<Node>> roots_;
    QIcon folderIcon_; // looked up once: every painted line asks for it
};

} // namespace orvella
