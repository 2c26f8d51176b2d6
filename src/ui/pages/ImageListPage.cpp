#include "ui/pages/ImageListPage.h"

#include "files/FileOperations.h"
#include "shell/Folders.h"
#include "shell/Layout.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ConvertEpsCommand.h"
#include "ui/FolderView.h"
#include "ui/ImageListView.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"
#include "ui/pages/FilterPanel.h"
#include "ui/pages/IptcPatternPage.h"
#include "ui/panes/PageControl.h"
#include "ui/views/CatalogueView.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QUrl>

namespace orvella {

ImageListPage::ImageListPage(WindowContext& context, QWidget* parent)
    : Page(context, "ImageListPage", parent) {
    splitter_ = named<QSplitter>("tsCentreFiles", Qt::Vertical);
    list_ = new ImageListView("Easy", splitter_);
    bottom_ = new PageControl("pcBottom");
    bottom_->addPage(new IptcPatternPage(context), "IPTC Pattern");
    filter_ = new FilterPanel(context);
    bottom_->addPage(filter_, "Filter");
    bottom_->startFollowingPages();
    splitter_->addWidget(list_);
    splitter_->addWidget(bottom_);
    splitter_->setStretchFactor(0, 1);
    setContent(splitter_);

    view_ = new FolderView(list_, context.connection, this);
    catalogueView_ = new CatalogueView(list_, context.connection, this);
    // A folder load whose filter was on gets the panel applied at its end.
    connect(view_, &FolderView::listingFinished, this, [this] {
        if (filter_->applying())
            applyFilterPanel();
    });
    connect(filter_, &FilterPanel::applyRequested, this, [this] { applyFilterPanel(); });
    connect(filter_, &FilterPanel::filterCleared, this, &ImageListPage::reloadView);
    context.selection.attach(list_);
    connect(&context.selection, &ImageSelection::checkableChanged, this,
            [this](bool checkable) { list_->Items()->setCheckBoxes(checkable); });
    buildPopup();
    bindCommands();
    list_->Items()->setRenamer([this](TImageData& file, const QString& newName) {
        WindowContext& shared = this->context();
        return FileOperations(shared.stockDB, shared.prompts, shared.progress)
            .RenameImage(file, newName.toStdString());
    });
    connect(list_, &QAbstractItemView::doubleClicked, this, &ImageListPage::openFile);
}

// The loader and the view runs end (and are joined) with the page.
ImageListPage::~ImageListPage() {
    delete catalogueView_;
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
    // Enter loads the focused file into the Studio only from the list, so it
    // still ends a line in the window's text boxes.
    QAction* showFile = commands.Action(cmd::ShowFile);
    showFile->setShortcutContext(Qt::WidgetShortcut);
    auto* enter = new QShortcut(showFile->shortcut(), list_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(enter, &QShortcut::activated, showFile, &QAction::trigger);
    // Shown only while the Stocks (Catalog) page is.
    commands.Action(cmd::DeleteInvalid)->setVisible(false);
    commands.Action(cmd::Unfasten)->setVisible(false);
}

void ImageListPage::bindCommands() {
    CommandTable& commands = context().commands;
    commands.Bind(cmd::InverSelection, this, [this] { invertSelection(); });
    commands.Bind(cmd::Rename, this, [this] { startRename(); });
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
    menu->addAction("Open", [this, file] { context().openUrl(QUrl::fromLocalFile(file)); });
    menu->addAction("Open containing folder", [this, file] {
        context().openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
    });
    menu->addAction("Copy path", [file] { QGuiApplication::clipboard()->setText(file); });
    menu->popup(global);
}

// The selected item's caption is edited in place; the file is renamed when
// the edit is confirmed (the list's renamer).
void ImageListPage::startRename() {
    std::vector<QModelIndex> items;
    for (const QModelIndex& index : list_->selectionModel()->selectedIndexes())
        if (list_->Items()->itemAt(index))
            items.push_back(index);
    if (items.size() > 1) {
        context().prompts.showMessage("You should select one image only for rename.");
        return;
    }
    if (items.empty() || list_->Items()->itemAt(items[0])->data.FullName.empty())
        return;
    logGuarded("Ready to rename");
    list_->setCurrentIndex(items[0]);
    list_->scrollTo(items[0]);
    list_->setFocus();
    list_->edit(items[0]);
}

// A double-click opens the file with the program the desktop gives it.
void ImageListPage::openFile(const QModelIndex& index) {
    const ImageListItem* item = list_->Items()->itemAt(index);
    if (item && !item->data.FullName.empty())
        context().openUrl(QUrl::fromLocalFile(QString::fromStdString(item->data.FullName)));
}

void ImageListPage::invertSelection() {
    QAbstractItemModel* model = list_->model();
    QItemSelection all(model->index(0, 0), model->index(model->rowCount() - 1, 0));
    ImageSelection::Batch batch(context().selection);
    list_->selectionModel()->select(all, QItemSelectionModel::Toggle);
}

void ImageListPage::showFolder(const QString& folder) {
    catalogueView_->Stop();
    shownView_.reset();
    if (!folder.isEmpty())
        view_->Load(folder, context().folders.PreviewCacheFolder(),
                    context().options.GetOption("JPEGPreview").toBool());
}

void ImageListPage::stopLoading() {
    view_->Stop();
    catalogueView_->Stop();
}

void ImageListPage::showCatalogueView(const CatalogueViewSettings& requested) {
    if (view_->Loading())
        logAlways("Directory processor thread terminated");
    if (catalogueView_->Running())
        logAlways("Filter processor thread terminated");
    view_->Stop();
    catalogueView_->Stop();
    CatalogueViewSettings settings = requested;
    settings.previewCacheFolder = context().folders.PreviewCacheFolder();
    settings.hideMissing = context().options.GetOption("HideMissingFiles").toBool();
    shownView_ = settings;
    logAlways("Items clear");
    if (settings.mode == CatalogueViewMode::Category) {
        catalogueView_->Start(settings);
        return;
    }
    list_->setEnabled(false); // the list takes no clicks while it is filled
    catalogueView_->Run(settings);
    list_->setEnabled(true);
    if (settings.mode == CatalogueViewMode::Uploads) {
        // Empty groups have nothing to send: their boxes are unticked.
        ImageListModel* items = list_->Items();
        for (int g = 0; g < items->groupCount(); ++g)
            if (items->itemCount(g) == 0)
                items->setData(items->index(items->groupRow(g)), Qt::Unchecked, Qt::CheckStateRole);
    }
    if (filter_->applying())
        applyFilterPanel();
}

void ImageListPage::reloadView() {
    CatalogueView::ShowAllItems(list_);
    if (shownView_)
        showCatalogueView(*shownView_);
    else if (view_->Folder().size() > 0)
        view_->Load(view_->Folder(), context().folders.PreviewCacheFolder(),
                    context().options.GetOption("JPEGPreview").toBool());
}

int ImageListPage::applyFilterPanel() {
    if (!filter_->applying())
        return -1;
    return CatalogueView::ApplyFilterPanel(list_, context().connection, filter_->panel());
}

std::vector<UploadListEntry> ImageListPage::uploadEntries() const {
    std::vector<UploadListEntry> entries;
    ImageListModel* items = list_->Items();
    for (int g = 0; g < items->groupCount(); ++g)
        for (int i = 0; i < items->itemCount(g); ++i) {
            const ImageListItem& item = items->item(g, i);
            UploadListEntry entry{item.caption.toStdString(), item.checked, std::nullopt,
                                  items->groupCaption(g).toStdString()};
            if (!item.data.MD5.empty())
                entry.Image = item.data;
            entries.push_back(std::move(entry));
        }
    return entries;
}

std::vector<SelectedImage> ImageListPage::selectedImages() const {
    std::vector<SelectedImage> images;
    for (const ImageListItem* item : context().selection.selected()) {
        SelectedImage image{item->caption.toStdString(), std::nullopt};
        if (!item->data.MD5.empty())
            image.image = item->data;
        images.push_back(std::move(image));
    }
    return images;
}

void ImageListPage::hideEntriesNotReady() {
    ImageListModel* items = list_->Items();
    for (int g = 0; g < items->groupCount(); ++g)
        for (int i = 0; i < items->itemCount(g); ++i) {
            const ImageListItem& item = items->item(g, i);
            if (item.data.MD5.empty() ||
                UploadEntryStillReady(context().stockDB, items->groupCaption(g).toStdString(),
                                      item.data.MD5))
                continue;
            int row = items->itemRow(g, i);
            items->setData(items->index(row), Qt::Unchecked, Qt::CheckStateRole);
            list_->setRowHidden(row, true);
        }
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
