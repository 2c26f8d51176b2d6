#pragma once

#include "files/CatalogueViews.h"
#include "files/FilterPanel.h"
#include "ui/BackgroundRuns.h"

#include <QObject>
#include <memory>

namespace orvella {

class ImageListView;

// Shows the catalogue views in an image list: a run on the window thread
// fills the list directly, the category run works on its own thread and its
// results reach the window thread as queued calls, dropped once the run was
// stopped. Starting a view stops the one before it.
class CatalogueView : public QObject {
    Q_OBJECT
public:
    CatalogueView(ImageListView* list, TCatalogueConnection& connection, QObject* parent = nullptr);
    ~CatalogueView() override;

    // The whole run on the window thread (stock, uploads and search views).
    void Run(const CatalogueViewSettings& settings);
    // The run on a worker thread (the category view).
    void Start(const CatalogueViewSettings& settings);
    // Asks the running view to stop; it delivers nothing more.
    void Stop();
    bool Running() const;
    // No run is working any more, stopped ones included.
    bool Idle() const;

    // Hides the items the panel does not let through and captions the first
    // group "Files (v/n) filtered"; returns the number of visible items.
    static int ApplyFilterPanel(ImageListView* list, TCatalogueConnection& connection,
                                const FilterPanelState& panel);
    // Shows every item again.
    static void ShowAllItems(ImageListView* list);

signals:
    // A run ended with its whole result shown.
    void viewFinished();

private:
    class Listing;

    ImageListView* list_;
    TCatalogueConnection& connection_;
    std::shared_ptr<Listing> listing_;
    BackgroundRuns<CatalogueViewThread> threads_;
};

} // namespace orvella
