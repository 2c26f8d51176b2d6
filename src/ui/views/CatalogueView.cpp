#include "ui/views/CatalogueView.h"

#include "ui/ImageListView.h"

#include <QApplication>
#include <QCursor>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <atomic>

namespace orvella {

namespace {

ImageListItem listItemOf(ViewItem item) {
    ImageListItem shown;
    shown.caption = QString::fromStdString(item.caption);
    shown.data = std::move(item.data);
    shown.checked = item.checked;
    if (!item.previewFile.empty())
        shown.pictureFile = QString::fromStdString(item.previewFile.string());
    return shown;
}

// The hourglass cursor for a scope.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

// Applies a run's results to the list: at once on the window thread, else
// as queued calls that are dropped once the view was stopped.
class CatalogueView::Listing : public CatalogueViewListing,
                               public std::enable_shared_from_this<Listing> {
public:
    explicit Listing(CatalogueView* view) : view_(view) {}

    void stop() { stopped_ = true; }

    void beginView() override {
        apply([](CatalogueView& view) {
            ImageListModel* items = view.list_->Items();
            ShowAllItems(view.list_);
            items->clear();
            items->clearPictures();
        });
    }
    void setGroups(const std::vector<ViewGroup>& groups) override {
        apply([groups](CatalogueView& view) {
            ImageListModel* items = view.list_->Items();
            items->clear();
            for (const ViewGroup& group : groups)
                items->addGroup(QString::fromStdString(group.caption));
        });
    }
    void addItems(int group, std::vector<ViewItem> batch) override {
        std::vector<ImageListItem> shown;
        shown.reserve(batch.size());
        for (ViewItem& item : batch)
            shown.push_back(listItemOf(std::move(item)));
        apply([group, shown = std::move(shown)](CatalogueView& view) mutable {
            view.list_->Items()->addItems(group, std::move(shown));
        });
    }
    void finishView(const std::vector<ViewGroup>& groups) override {
        apply([groups](CatalogueView& view) {
            ImageListModel* items = view.list_->Items();
            for (int g = 0; g < static_cast<int>(groups.size()) && g < items->groupCount(); ++g) {
                items->setGroupCaption(
                    g, QString::fromStdString(groups[static_cast<size_t>(g)].caption));
                if (groups[static_cast<size_t>(g)].collapsed)
                    for (int i = 0; i < items->itemCount(g); ++i)
                        view.list_->setRowHidden(items->itemRow(g, i), true);
            }
            emit view.viewFinished();
        });
    }

private:
    template <typename Change> void apply(Change change) {
        if (QThread::currentThread() == view_->thread()) {
            if (!stopped_)
                change(*view_);
            return;
        }
        QPointer<CatalogueView> view = view_;
        QMetaObject::invokeMethod(
            view_,
            [self = shared_from_this(), view, change = std::move(change)]() mutable {
                if (view && !self->stopped_)
                    change(*view);
            },
            Qt::QueuedConnection);
    }

    CatalogueView* view_;
    std::atomic<bool> stopped_{false};
};

CatalogueView::CatalogueView(ImageListView* list, TCatalogueConnection& connection, QObject* parent)
    : QObject(parent), list_(list), connection_(connection) {}

CatalogueView::~CatalogueView() {
    Stop(); // the runs still going are joined: each ends after the row in hand
}

void CatalogueView::Run(const CatalogueViewSettings& settings) {
    Stop();
    listing_ = std::make_shared<Listing>(this);
    std::shared_ptr<Listing> listing = listing_; // the run may be stopped from inside
    TFilterProcessor(connection_, settings, *listing).Execute();
}

void CatalogueView::Start(const CatalogueViewSettings& settings) {
    Stop();
    ShowAllItems(list_);
    list_->Items()->clear();
    list_->Items()->clearPictures();
    listing_ = std::make_shared<Listing>(this);
    threads_.start(std::make_unique<CatalogueViewThread>(connection_, settings, listing_));
}

void CatalogueView::Stop() {
    if (listing_)
        listing_->stop();
    threads_.stop();
    listing_.reset();
}

bool CatalogueView::Running() const {
    return threads_.running();
}

bool CatalogueView::Idle() const {
    return threads_.idle();
}

int CatalogueView::ApplyFilterPanel(ImageListView* list, TCatalogueConnection& connection,
                                    const FilterPanelState& panel) {
    BusyCursor busy;
    ImageListModel* items = list->Items();
    std::vector<FilteredItem> filtered;
    std::vector<int> rows;
    for (int g = 0; g < items->groupCount(); ++g)
        for (int i = 0; i < items->itemCount(g); ++i) {
            const ImageListItem& item = items->item(g, i);
            if (item.data.MD5.empty() && item.data.FileName.empty())
                continue; // an item without data is left as it is
            filtered.push_back({item.data.MD5, item.data.FileName});
            rows.push_back(items->itemRow(g, i));
        }
    std::vector<bool> visible = FilterPanelVisibility(connection, panel, filtered);
    list->setUpdatesEnabled(false);
    int shown = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        list->setRowHidden(rows[i], !visible[i]);
        shown += visible[i] ? 1 : 0;
    }
    list->setUpdatesEnabled(true);
    if (items->groupCount() > 0)
        items->setGroupCaption(
            0, QString::fromStdString(FilteredCaption(shown, static_cast<int>(filtered.size()))));
    return shown;
}

void CatalogueView::ShowAllItems(ImageListView* list) {
    int rows = list->Items()->rowCount();
    for (int row = 0; row < rows; ++row)
        if (list->isRowHidden(row))
            list->setRowHidden(row, false);
}

} // namespace orvella
