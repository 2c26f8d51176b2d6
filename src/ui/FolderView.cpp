#include "ui/FolderView.h"

#include "ui/ImageListView.h"

#include <QApplication>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <algorithm>
#include <atomic>

namespace orvella {

namespace {

QPixmap loadingErrorPicture() {
    QPixmap picture(ImageListView::kPictureSize, ImageListView::kPictureSize);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(1, 1 + painter.fontMetrics().ascent()), "loading error");
    return picture;
}

QPixmap archivePicture() {
    QPixmap picture(ImageListView::kPictureSize, ImageListView::kPictureSize);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    painter.drawPixmap(36, 36, icon.pixmap(24, 24));
    return picture;
}

QPixmap pictureOf(const ListedFile& file) {
    switch (file.pictureKind) {
    case ListedFile::Picture::LoadingError:
        return loadingErrorPicture();
    case ListedFile::Picture::Archive:
        return archivePicture();
    case ListedFile::Picture::Thumbnail:
        break;
    }
    return QPixmap::fromImage(file.picture);
}

} // namespace

// Hands the loader's results to the window thread. Once stopped, whatever is
// still on its way is dropped there.
class FolderView::Listing : public FolderListing, public std::enable_shared_from_this<Listing> {
public:
    explicit Listing(FolderView* view) : view_(view) {}

    void stop() { stopped_ = true; }

    void beginListing() override {
        post([](FolderView& view) {
            ImageListModel* items = view.list_->Items();
            items->clear();
            items->clearPictures();
            items->addGroup("Reading files...");
        });
    }

    void addFile(ListedFile file) override {
        post([file = std::move(file)](FolderView& view) {
            ImageListModel* items = view.list_->Items();
            if (items->groupCount() == 0)
                items->addGroup("Reading files...");
            ImageListItem item;
            item.caption = QString::fromStdString(file.caption);
            item.imageIndex = items->addPicture(pictureOf(file));
            item.data = {file.file.FileName,
                         file.file.FilePath,
                         file.file.FullName,
                         file.file.FileSize,
                         file.file.ModifyDate,
                         file.file.MD5,
                         false};
            items->addItem(0, std::move(item));
        });
    }

    void endListing(int listedCount) override {
        post([listedCount](FolderView& view) {
            ImageListModel* items = view.list_->Items();
            if (items->groupCount() == 0)
                items->addGroup("");
            items->setGroupCaption(0, QString("Files (%1)").arg(items->itemCount(0)));
            emit view.listingFinished(listedCount);
        });
    }

private:
    template <typename Change> void post(Change change) {
        QPointer<FolderView> view = view_;
        QMetaObject::invokeMethod(
            view_,
            [self = shared_from_this(), view, change = std::move(change)]() mutable {
                if (view && !self->stopped_)
                    change(*view);
            },
            Qt::QueuedConnection);
    }

    FolderView* view_;
    std::atomic<bool> stopped_{false};
};

FolderView::FolderView(ImageListView* list, TCatalogueConnection& connection, QObject* parent)
    : QObject(parent), list_(list), connection_(connection) {}

FolderView::~FolderView() {
    Stop(); // the loaders still going are joined: each ends after the file in hand
}

void FolderView::Load(const QString& folder, const std::filesystem::path& previewCacheFolder,
                      bool jpegPreview) {
    Stop();
    folder_ = folder;
    list_->Items()->clear();
    list_->Items()->clearPictures();
    list_->Items()->addGroup("Reading files...");
    listing_ = std::make_shared<Listing>(this);
    FolderLoaderSettings settings{folder.toStdString(), previewCacheFolder, jpegPreview, 0};
    loaders_.start(std::make_unique<FolderLoaderThread>(connection_, settings, listing_));
}

void FolderView::Stop() {
    if (listing_)
        listing_->stop();
    loaders_.stop();
    listing_.reset();
}

bool FolderView::Loading() const {
    return loaders_.running();
}

bool FolderView::Idle() const {
    return loaders_.idle();
}

} // namespace orvella
