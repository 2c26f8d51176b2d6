#pragma once

#include <QAction>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>
#include <QLabel>
#include <QToolBar>
#include <QWidget>

namespace orvella {

// A child widget carrying its control name as objectName.
template <typename Widget, typename... Arguments>
Widget* named(const char* name, Arguments&&... arguments) {
    auto* widget = new Widget(std::forward<Arguments>(arguments)...);
    widget->setObjectName(name);
    return widget;
}

// A toolbar button known by its hint. It stays disabled until the part of the
// program that carries its command connects to it.
inline QAction* hintButton(QToolBar* toolbar, const char* name, const char* hint) {
    QAction* action = toolbar->addAction(hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setEnabled(false);
    return action;
}

// A popup entry of a list, disabled until its command is connected.
inline QAction* popupEntry(QWidget* owner, const char* name, const char* caption) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    action->setEnabled(false);
    owner->addAction(action);
    return action;
}

inline QAction* popupSeparator(QWidget* owner) {
    auto* separator = new QAction(owner);
    separator->setSeparator(true);
    owner->addAction(separator);
    return separator;
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
