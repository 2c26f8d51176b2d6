#include "ui/pages/FilesPage.h"

#include "shell/Layout.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "ui/StartupState.h"
#include "ui/WidgetHelpers.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace orvella {

FilesPage::FilesPage(WindowContext& context, QWidget* parent) : Page(context, "FilesPage", parent) {
    splitter_ = named<QSplitter>("tsFiles", Qt::Vertical);
    tree_ = folderTree("Tree", splitter_);
    // Drops on the tree are the window's (it knows the image list's
    // selection); the tree's own drop handling would give them to its model.
    tree_->setDragDropMode(QAbstractItemView::NoDragDrop);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FilesPage::followSelection);
    splitter_->addWidget(tree_);
    splitter_->addWidget(buildSearchPanel());
    splitter_->setStretchFactor(0, 1);
    setContent(splitter_);
}

QWidget* FilesPage::buildSearchPanel() {
    auto* search = named<QWidget>("pnlSearch");
    auto* find = named<QLineEdit>("edtFind");
    auto* button = named<QPushButton>("btnSearch", "Search");
    auto requestSearch = [this, find] { emit searchRequested(find->text()); };
    connect(button, &QPushButton::clicked, this, requestSearch);
    connect(find, &QLineEdit::returnPressed, this, requestSearch);
    auto* layout = new QVBoxLayout(search);
    layout->addWidget(new QLabel("Enter keywords to find"));
    auto* row = new QHBoxLayout;
    row->addWidget(find);
    row->addWidget(button);
    layout->addLayout(row);
    layout->addStretch();
    return search;
}

QString FilesPage::selectedFolder() const {
    return orvella::selectedFolder(tree_);
}

void FilesPage::selectFolder(const QString& folder) {
    orvella::selectFolder(tree_, folder);
}

// The folder remembered in the layout is reached once; until then, with the
// full scan on, selections made while restoring it load nothing.
void FilesPage::followSelection() {
    StartupState& startup = context().startup;
    if (!startup.AppStarted || !window()->isVisible())
        return;
    emit folderLeft();
    if (startup.RestoreFolderPending) {
        std::string saved = context().store.readText(kMainWindowSection, "Directory", "");
        if (saved.empty() || saved == selectedFolder().toStdString())
            startup.RestoreFolderPending = false;
    }
    if (startup.RestoreFolderPending && context().options.GetOption("FullScan").toBool())
        return;
    emit folderChosen(selectedFolder());
}

std::optional<QString> FilesPage::dropFolderAt(const QWidget* target,
                                               const QPoint& globalPosition) const {
    return treeDropFolder(tree_, target, globalPosition);
}

void FilesPage::activated() {
    emit folderRelisted(selectedFolder());
    logGuarded("Files tab selected");
}

void FilesPage::refresh() {
    folderTreeModel(tree_)->relist();
    emit folderRelisted(selectedFolder());
    logGuarded("Window refreshed");
}

void FilesPage::restoreLayout(const LoadedLayout& layout) {
    restoreSplitter(splitter_, 0, layout.layout.fileTree);
    if (!layout.layout.directory.empty())
        selectFolder(
            QString::fromStdString(layout.layout.directory)); // a folder that is gone is ignored
}

void FilesPage::saveLayout(WindowLayout& layout) const {
    layout.fileTree = splitterPart(splitter_, 0);
    layout.directory = selectedFolder().toStdString();
}

} // namespace orvella
