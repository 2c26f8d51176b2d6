#include "ui/FolderTreeModel.h"

#include "shell/Folders.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>

#include <algorithm>

namespace orvella {

struct FolderTreeModel::Node {
    QString path;
    QString caption;
    Node* parent = nullptr;
    int row = 0;
    bool listed = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Nodes = std::vector<std::unique_ptr<FolderTreeModel::Node>>;

// Names ordered as a file manager shows them: letter case aside, then exactly.
bool namedBefore(const QString& left, const QString& right) {
    int byLetters = left.compare(right, Qt::CaseInsensitive);
    return byLetters != 0 ? byLetters < 0 : left < right;
}

QStringList subfolderNames(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllDirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), namedBefore);
    return names;
}

QString childPath(const QString& folder, const QString& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool holds(const QString& root, const QString& folder) {
    return folder == root || root == "/" || folder.startsWith(root + '/');
}

void renumber(Nodes& nodes) {
    for (size_t row = 0; row < nodes.size(); ++row)
        nodes[row]->row = static_cast<int>(row);
}

std::unique_ptr<FolderTreeModel::Node> subfolder(FolderTreeModel::Node* parent,
                                                 const QString& name) {
    auto child = std::make_unique<FolderTreeModel::Node>();
    child->path = childPath(parent->path, name);
    child->caption = name;
    child->parent = parent;
    return child;
}

QString rootCaption(const QString& root) {
    if (root == "/")
        return root;
    if (root == QString::fromStdString(homeFolderFromEnvironment().string()))
        return "Home";
    return QFileInfo(root).fileName();
}

} // namespace

FolderTreeModel::FolderTreeModel(const QStringList& roots, QObject* parent)
    : QAbstractItemModel(parent), folderIcon_(QFileIconProvider().icon(QFileIconProvider::Folder)) {
    QStringList added;
    for (const QString& root : roots) {
        QString folder = QDir::cleanPath(root);
        if (added.contains(folder) || !QFileInfo(folder).isDir())
            continue;
        added << folder;
        auto node = std::make_unique<Node>();
        node->path = folder;
        node->caption = rootCaption(folder);
        node->row = static_cast<int>(roots_.size());
        roots_.push_back(std::move(node));
    }
}

FolderTreeModel::~FolderTreeModel() = default;

QStringList FolderTreeModel::desktopRoots() {
    return {QString::fromStdString(homeFolderFromEnvironment().string()),
            QString::fromStdString(picturesFolderFromEnvironment().string()), "/"};
}

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOfNode(const Node* node) const {
    return node ? createIndex(node->row, 0, const_cast<Node*>(node)) : QModelIndex();
}

const FolderTreeModel::Node* FolderTreeModel::rootHolding(const QString& folder) const {
    const Node* closest = nullptr;
    for (const auto& root : roots_)
        if (holds(root->path, folder) && (!closest || root->path.size() > closest->path.size()))
            closest = root.get();
    return closest;
}

QModelIndex FolderTreeModel::indexOf(const QString& folder) {
    QString wanted = QDir::cleanPath(folder);
    Node* node = const_cast<Node*>(rootHolding(wanted));
    if (!node || wanted.isEmpty())
        return {};
    const QStringList steps = wanted.mid(node->path.size()).split('/', Qt::SkipEmptyParts);
    for (const QString& name : steps) {
        if (!node->listed)
            list(node);
        auto child = std::find_if(node->children.begin(), node->children.end(),
                                  [&name](const auto& each) { return each->caption == name; });
        if (child == node->children.end())
            return {};
        node = child->get();
    }
    return indexOfNode(node);
}

QString FolderTreeModel::folderOf(const QModelIndex& index) const {
    const Node* node = nodeOf(index);
    return node ? node->path : QString();
}

void FolderTreeModel::list(Node* node) {
    node->listed = true;
    const QStringList names = subfolderNames(node->path);
    if (names.isEmpty())
        return;
    beginInsertRows(indexOfNode(node), 0, static_cast<int>(names.size()) - 1);
    for (const QString& name : names)
        node->children.push_back(subfolder(node, name));
    renumber(node->children);
    endInsertRows();
}

void FolderTreeModel::relist() {
    for (const auto& root : roots_)
        relist(root.get());
}

// Both lists are in the same order, so one pass finds what left and what came.
void FolderTreeModel::relist(Node* node) {
    if (!node->listed)
        return;
    QModelIndex parent = indexOfNode(node);
    auto& children = node->children;
    auto removeAt = [&](size_t row) {
        beginRemoveRows(parent, static_cast<int>(row), static_cast<int>(row));
        children.erase(children.begin() + static_cast<std::ptrdiff_t>(row));
        renumber(children);
        endRemoveRows();
    };
    size_t row = 0;
    for (const QString& name : subfolderNames(node->path)) {
        while (row < children.size() && namedBefore(children[row]->caption, name))
            removeAt(row);
        if (row < children.size() && children[row]->caption == name) {
            relist(children[row++].get());
            continue;
        }
        beginInsertRows(parent, static_cast<int>(row), static_cast<int>(row));
        children.insert(children.begin() + static_cast<std::ptrdiff_t>(row++),
                        subfolder(node, name));
        renumber(children);
        endInsertRows();
    }
    while (row < children.size())
        removeAt(children.size() - 1);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const auto& nodes = parent.isValid() ? nodeOf(parent)->children : roots_;
    if (column != 0 || row < 0 || row >= static_cast<int>(nodes.size()))
        return {};
    return createIndex(row, 0, nodes[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const Node* node = nodeOf(child);
    return node ? indexOfNode(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(parent.isValid() ? nodeOf(parent)->children.size() : roots_.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const Node* node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->caption;
    case Qt::ToolTipRole:
    case QFileSystemModel::FilePathRole:
        return node->path;
    case Qt::DecorationRole:
        return folderIcon_;
    default:
        return {};
    }
}

// Until a folder is listed it may have subfolders; reading every folder
// ahead to know would stall on large or slow trees.
bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return !node || !node->listed || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node && !node->listed;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (Node* node = nodeOf(parent); node && !node->listed)
        list(node);
}

} // namespace orvella
