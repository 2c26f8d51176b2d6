#pragma once

#include "files/FullScan.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace orvella {

class SettingsStore;
class TStockDBObject;

// The "Full Scan wizard": the first page offers the scan of a folder, the
// second shows it running. The scan runs on the window thread and lets the
// window repaint between steps, so "Cancel" is taken after the file in hand.
class TfrmFullScan : public QDialog {
    Q_OBJECT
public:
    TfrmFullScan(TStockDBObject& catalogue, const SettingsStore& store, FullScanSettings settings,
                 const QString& folder, QWidget* parent = nullptr);
    ~TfrmFullScan() override;

    // Whether a wizard is open anywhere in the process; a second one is not
    // opened.
    static bool IsOpen();

    int ImportedFiles() const { return imported_; }

signals:
    // After each file the scan recorded; the count so far.
    void fileImported(int count);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    class Observer;

    QWidget* buildFirstPage(const QString& folder);
    QWidget* buildSecondPage();
    void startScan();
    void turnOfferOffWhenAsked();

    TStockDBObject& catalogue_;
    const SettingsStore& store_;
    FullScanSettings settings_;
    QString folder_;
    QStackedWidget* pages_ = nullptr;
    QCheckBox* subfolders_ = nullptr;
    QCheckBox* dontShow_ = nullptr;
    QPushButton* ok_ = nullptr;
    QLabel* processingFolder_ = nullptr;
    QLabel* processingFile_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QLabel* thumbnail_ = nullptr;
    TFullScan* running_ = nullptr;
    int imported_ = 0;
};

} // namespace orvella
