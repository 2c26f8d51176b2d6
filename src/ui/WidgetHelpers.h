#pragma once

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

// A tree of the file system's folders, names only, read in the background.
inline QTreeView* folderTree(const char* name, QObject* modelOwner) {
    auto* model = new QFileSystemModel(modelOwner);
    model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model->setRootPath("/");
    auto* tree = named<QTreeView>(name);
    tree->setModel(model);
    for (int column = 1; column < model->columnCount(); ++column)
        tree->hideColumn(column);
    tree->header()->hide();
    return tree;
}

// The folder selected in a folder tree, or empty text.
inline QString selectedFolder(const QTreeView* tree) {
    return tree->model()->data(tree->currentIndex(), QFileSystemModel::FilePathRole).toString();
}

} // namespace orvella
