#pragma once

#include "catalogue/FileRecords.h"
#include "files/FullScan.h"
#include "ui/WindowContext.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace orvella {

class FilesPage;

// The file commands of the main image list (Copy, Paste, Clone image,
// Delete, Zip files, Set actual image location, Move) and the full
// scan (Scan current directory and the offer for a folder never scanned),
// bound by id on the command table. They act on the selected images through
// the headless FileOperations and TFullScan, then refresh the views.
class FileCommandBindings : public QObject {
    Q_OBJECT
public:
    FileCommandBindings(WindowContext& context, FilesPage& files, QWidget* window,
                        std::function<void()> refresh);

    // With the option FullScan on, offers the wizard for a folder that is not
    // in the scan history, and waits until it is closed.
    void OfferFullScan(const QString& folder);
    // The selected images dropped on a folder: moved or copied there.
    void DropSelection(const QString& folder);
    // Opens the wizard for the folder unless one is open already.
    void RunFullScan(const QString& folder);

private:
    std::vector<TImageData> selectedFiles() const;
    FullScanSettings scanSettings() const;
    void bind();
    void copyToClipboard();
    void pasteFromClipboard();
    void cloneSelected();
    void deleteSelected();
    void zipSelected();
    void setActualLocation();
    void moveSelected();

    WindowContext& context_;
    FilesPage& files_;
    QWidget* window_;
    std::function<void()> refresh_;
};

} // namespace orvella
