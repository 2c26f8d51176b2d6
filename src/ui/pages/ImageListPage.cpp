#include "ui/pages/ImageListPage.h"

#include "shell/Folders.h"
#include "shell/Layout.h"
#include "shell/Options.h"
#include "ui/CommandTable.h"
#include "ui/ConvertEpsCommand.h"
#include "ui/FolderView.h"
#include "ui/ImageListView.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"
#include "ui/pages/FilterPanel.h"
#include "ui/pages/IptcPatternPage.h"
#include "ui/panes/PageControl.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QSplitter>
#include <QUrl>

namespace orvella {

ImageListPage::ImageListPage(WindowContext& context, QWidget* parent)
    : Page(context, "ImageListPage", parent) {
    splitter_ = named<QSplitter>("tsCentreFiles", Qt::Vertical);
    list_ = new ImageListView("Easy", splitter_);
    bottom_ = new PageControl("pcBottom");
    bottom_->addPage(new IptcPatternPage(context), "IPTC Pattern");
    bottom_->addPage(new FilterPanel(context), "Filter");
    bottom_->startFollowingPages();
    splitter_->addWidget(list_);
    splitter_->addWidget(bottom_);
    splitter_->setStretchFactor(0, 1);
    setContent(splitter_);

    view_ = new FolderView(list_, context.connection, this);
    context.selection.attach(list_);
    connect(&context.selection, &ImageSelection::checkableChanged, this,
            [this](bool checkable) { list_->Items()->setCheckBoxes(checkable); });
    buildPopup();
    bindCommands();
}

// The loader ends (and is joined) with the page.
ImageListPage::~ImageListPage() {
    delete view_;
}

void ImageListPage::buildPopup() {
    CommandTable& commands = context().commands;
    popup_ = new QMenu(this);
    popup_->setObjectName("pmImages");
    commands.fill(popup_, {cmd::Syncronize, cmd::DeleteInvalid, cmd::SetLocation, cmd::Unfasten});
    commands.addGlobalStateMenu(popup_, "Set global status (for all stocks)");
    commands.fill(popup_, {cmd::CopyKeywords, cmd::ShowFile, cmd::ConvertEPS, cmd::Zip, cmd::Clone,
                           cmd::Separator, cmd::Copy, cmd::Paste, cmd::Delete});
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &ImageListPage::showFileMenu);
    // Shown only while the Stocks (Catalog) page is.
    commands.Action(cmd::DeleteInvalid)->setVisible(false);
    commands.Action(cmd::Unfasten)->setVisible(false);
}

void ImageListPage::bindCommands() {
    CommandTable& commands = context().commands;
    commands.Bind(cmd::InverSelection, this, [this] { invertSelection(); });
    commands.Bind(cmd::ConvertEPS, this, [this] {
        ConvertEpsToJpegCommand(*list_, context().prompts, context().commands);
    });
}

// The program's own popup, or with the option ExplorerMenu the desktop's
// actions for the file under the cursor.
void ImageListPage::showFileMenu(const QPoint& position) {
    QPoint global = list_->viewport()->mapToGlobal(position);
    if (!explorerMenu_) {
        popup_->popup(global);
        return;
    }
    const ImageListItem* item = list_->Items()->itemAt(list_->indexAt(position));
    if (!item)
        return;
    QString file = QString::fromStdString(item->data.FullName);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction("Open", [file] { QDesktopServices::openUrl(QUrl::fromLocalFile(file)); });
    menu->addAction("Open containing folder", [file] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
    });
    menu->addAction("Copy path", [file] { QGuiApplication::clipboard()->setText(file); });
    menu->popup(global);
}

void ImageListPage::invertSelection() {
    QAbstractItemModel* model = list_->model();
    QItemSelection all(model->index(0, 0), model->index(model->rowCount() - 1, 0));
    ImageSelection::Batch batch(context().selection);
    list_->selectionModel()->select(all, QItemSelectionModel::Toggle);
}

void ImageListPage::showFolder(const QString& folder) {
    if (!folder.isEmpty())
        view_->Load(folder, context().folders.PreviewCacheFolder(),
                    context().options.GetOption("JPEGPreview").toBool());
}

void ImageListPage::stopLoading() {
    view_->Stop();
}

bool ImageListPage::isLoading() const {
    return view_->Loading();
}

bool ImageListPage::isIdle() const {
    return view_->Idle();
}

bool ImageListPage::covers(const QWidget* target) const {
    return target && (target == list_->viewport() || list_->isAncestorOf(target));
}

void ImageListPage::restoreLayout(const LoadedLayout& layout) {
    restoreSplitter(splitter_, 1, layout.layout.bottomPanel);
    explorerMenu_ = layout.explorerMenu;
    bottom_->restoreLayout(layout);
}

void ImageListPage::saveLayout(WindowLayout& layout) const {
    layout.bottomPanel = splitterPart(splitter_, 1);
    bottom_->saveLayout(layout);
}

} // namespace orvella
