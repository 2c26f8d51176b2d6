#pragma once

#include "files/FolderLoader.h"
#include "ui/BackgroundRuns.h"

#include <QObject>
#include <QString>
#include <memory>

namespace orvella {

class ImageListView;

// One file view (a folder tree's list): starts a folder loader for the folder
// chosen, stops the one before it, and shows what the loader delivers. The
// loader's results reach the window thread as queued calls; those of a
// stopped run are dropped, so a new run always starts on a clean view.
class FolderView : public QObject {
    Q_OBJECT
public:
    FolderView(ImageListView* list, TCatalogueConnection& connection, QObject* parent = nullptr);
    ~FolderView() override;

    // Lists the folder, replacing whatever the view showed.
    void Load(const QString& folder, const std::filesystem::path& previewCacheFolder,
              bool jpegPreview);
    // Asks the running loader to stop; it delivers nothing more.
    void Stop();
    bool Loading() const;
    // No loader runs, stopped ones included: nothing more reaches the window.
    bool Idle() const;
    QString Folder() const { return folder_; }

signals:
    void listingFinished(int count);

private:
    class Listing;

    ImageListView* list_;
    TCatalogueConnection& connection_;
    QString folder_;
    std::shared_ptr<Listing> listing_;
    BackgroundRuns<FolderLoaderThread> loaders_;
};

} // namespace orvella
