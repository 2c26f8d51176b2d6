#pragma once

#include "ui/FolderTreeModel.h"

#include <QAction>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QToolBar>
#include <QTreeView>
#include <QWidget>

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

} // namespace orvella
