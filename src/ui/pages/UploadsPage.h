#pragma once

#include "ui/pages/Page.h"
#include "upload/UploadList.h"

#include <functional>

namespace orvella {

class TFtpExchangeLog;
class UploadPanel;

// The left pane's "Uploads" page: the upload controls with their log. While
// it is shown the image list shows the images ready to upload, with check
// boxes to choose what to send.
class UploadsPage : public Page {
    Q_OBJECT
public:
    explicit UploadsPage(WindowContext& context, QWidget* parent = nullptr);

    // Where the entries to send come from (the image list) and where the FTP
    // exchange is recorded; set by the window before the page is used.
    void connectUploads(std::function<std::vector<UploadListEntry>()> entries,
                        TFtpExchangeLog* exchangeLog);
    // The Upload command: the page's button clicked.
    void clickUpload();
    UploadPanel* panel() const { return panel_; }

    const char* visibilityOption() const override { return "tabuploads"; }
    void refresh() override { activated(); }

signals:
    // The page was opened: the image list shows the uploads view.
    void shown();
    // A run ended: the states it changed are in the catalogue.
    void uploadEnded();

protected:
    void activated() override;
    void deactivated() override;

private:
    QWidget* page_;
    UploadPanel* panel_ = nullptr;
};

} // namespace orvella
