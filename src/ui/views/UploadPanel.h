#pragma once

#include "upload/UploadList.h"
#include "upload/UploadWindow.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace orvella {

class Prompts;
class SettingsStore;
class TCatalogueConnection;
class TFTPUploader;
class TFtpExchangeLog;
class TOptionsCache;
class TStockDBObject;

// What the upload panel needs from the window.
struct UploadPanelContext {
    TCatalogueConnection& connection;
    TStockDBObject& catalogue;
    const SettingsStore& store;
    const TOptionsCache& options;
    Prompts& prompts;
    TFtpExchangeLog* exchangeLog = nullptr;
    // The entries of the Uploads view, in list order.
    std::function<std::vector<UploadListEntry>()> entries;
};

// The upload controls of the "Uploads" page: the start/stop button
// ("btnUpload"), the progress bar ("FTPProgress"), the current file and
// transfer labels, the upload log ("lbLog") with its Clear and Save buttons.
// The uploader runs on the window thread and lets events through at every
// step, so Stop is heard between records; closing the window during a run
// stops it and closes once the file in hand is done.
class UploadPanel : public QWidget, public UploadWindow {
    Q_OBJECT
public:
    UploadPanel(UploadPanelContext context, QWidget* parent = nullptr);
    ~UploadPanel() override;

    // The button's click: Start when idle, Stop while a run is on.
    void clickUpload();
    bool Uploading() const;
    QStringList logLines() const;
    void clearLog();
    // Asks for a file and writes the log there, through a temporary file.
    void saveLog();

    // UploadWindow
    void PostLine(const std::string& line) override;
    void ClearLog() override;
    void SetProgressMaximum(int maximum) override;
    void SetProgress(int position) override;
    void ShowCurrentFile(const std::string& fileName) override;
    void TransferProgress(uint64_t bytes) override;
    void Finish() override;
    void ProcessPendingEvents() override;

signals:
    // A run ended, finished or stopped; the states it changed are in the
    // catalogue.
    void uploadEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();
    void stop();
    void setIdle(const char* caption);

    UploadPanelContext context_;
    QPushButton* button_;
    QProgressBar* progress_;
    QLabel* currentFile_;
    QLabel* transfer_;
    QListWidget* log_;
    std::shared_ptr<TFTPUploader> uploader_;
    bool running_ = false;
    bool closeWhenDone_ = false;
    QWidget* watchedWindow_ = nullptr;
};

} // namespace orvella
