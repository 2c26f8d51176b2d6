#pragma once

#include "ui/FolderTreeModel.h"

#include <QAction>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QToolBar>
#include <QTreeView>
#include <QWidget>
#include <optional>

namespace orvella {

// A child widget carrying its control name as objectName.
template <typename Widget, typename... Arguments>
Widget* named(const char* name, Arguments&&... arguments) {
    auto* widget = new Widget(std::forward<Arguments>(arguments)...);
    widget->setObjectName(name);
    return widget;
}

// A tree of the file system's folders under the desktop's roots, names only.
inline QTreeView* folderTree(const char* name, QObject* modelOwner) {
    auto* tree = named<QTreeView>(name);
    tree->setModel(new FolderTreeModel(FolderTreeModel::desktopRoots(), modelOwner));
    tree->header()->hide();
    return tree;
}

inline FolderTreeModel* folderTreeModel(const QTreeView* tree) {
    return static_cast<FolderTreeModel*>(tree->model());
}

// The folder selected in a folder tree, or empty text.
inline QString selectedFolder(const QTreeView* tree) {
    return tree->model()->data(tree->currentIndex(), QFileSystemModel::FilePathRole).toString();
}

// Selects a folder in a folder tree, its parents expanded, as the user does;
// a folder that is not there is ignored.
inline void selectFolder(QTreeView* tree, const QString& folder) {
    QModelIndex index = folderTreeModel(tree)->indexOf(folder);
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        tree->expand(parent);
    tree->setCurrentIndex(index);
    tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

// The folder files dropped at a global position go to when the widget there
// (target) is part of a folder tree: the folder under the point, or else the
// selected one. None when the target is not part of the tree.
inline std::optional<QString> treeDropFolder(const QTreeView* tree, const QWidget* target,
                                             const QPoint& globalPosition) {
    if (!target || (target != tree && !tree->isAncestorOf(target)))
        return std::nullopt;
    QModelIndex under = tree->indexAt(tree->viewport()->mapFromGlobal(globalPosition));
    return under.isValid() ? under.data(QFileSystemModel::FilePathRole).toString()
                           : selectedFolder(tree);
}

} // namespace orvella
