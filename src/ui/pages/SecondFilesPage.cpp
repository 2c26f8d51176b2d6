#include "ui/pages/SecondFilesPage.h"

#include "shell/Folders.h"
#include "shell/Layout.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "ui/FolderView.h"
#include "ui/ImageListView.h"
#include "ui/WidgetHelpers.h"

#include <QSplitter>
#include <QTreeView>

namespace orvella {

SecondFilesPage::SecondFilesPage(WindowContext& context, QWidget* parent)
    : Page(context, "SecondFilesPage", parent) {
    splitter_ = named<QSplitter>("tsFiles2", Qt::Vertical);
    tree_ = folderTree("Tree2", splitter_);
    list_ = new ImageListView("Easy2", splitter_);
    splitter_->addWidget(tree_);
    splitter_->addWidget(list_);
    setContent(splitter_);
    view_ = new FolderView(list_, context.connection, this);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SecondFilesPage::loadSelectedFolder);
}

// The loader ends (and is joined) with the page.
SecondFilesPage::~SecondFilesPage() {
    delete view_;
}

QString SecondFilesPage::selectedFolder() const {
    return orvella::selectedFolder(tree_);
}

void SecondFilesPage::selectFolder(const QString& folder) {
    orvella::selectFolder(tree_, folder);
}

std::optional<QString> SecondFilesPage::dropFolderAt(const QWidget* target,
                                                     const QPoint& globalPosition) const {
    if (target && (target == list_ || list_->isAncestorOf(target)))
        return selectedFolder();
    return treeDropFolder(tree_, target, globalPosition);
}

void SecondFilesPage::loadSelectedFolder() {
    QString folder = selectedFolder();
    if (!folder.isEmpty())
        view_->Load(folder, context().folders.PreviewCacheFolder(),
                    context().options.GetOption("JPEGPreview").toBool());
}

bool SecondFilesPage::isLoading() const {
    return view_->Loading();
}

void SecondFilesPage::stopLoading() {
    view_->Stop();
}

void SecondFilesPage::refresh() {
    folderTreeModel(tree_)->relist();
    loadSelectedFolder();
    logGuarded("Window 2 refreshed");
}

void SecondFilesPage::restoreLayout(const LoadedLayout& layout) {
    restoreSplitter(splitter_, 0, layout.layout.fileTree2);
}

void SecondFilesPage::saveLayout(WindowLayout& layout) const {
    layout.fileTree2 = splitterPart(splitter_, 0);
}

} // namespace orvella
