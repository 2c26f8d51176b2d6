#include "ui/pages/UploadsPage.h"

#include "shell/Log.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"
#include "ui/views/UploadPanel.h"

#include <QVBoxLayout>

namespace orvella {

UploadsPage::UploadsPage(WindowContext& context, QWidget* parent)
    : Page(context, "UploadsPage", parent) {
    page_ = named<QWidget>("tsUploads");
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(2, 2, 2, 2);
    setContent(page_);
}

void UploadsPage::connectUploads(std::function<std::vector<UploadListEntry>()> entries,
                                 TFtpExchangeLog* exchangeLog) {
    WindowContext& window = context();
    panel_ = new UploadPanel({window.connection, window.stockDB, window.store, window.options,
                              window.prompts, exchangeLog, std::move(entries)},
                             page_);
    page_->layout()->addWidget(panel_);
    connect(panel_, &UploadPanel::uploadEnded, this, &UploadsPage::uploadEnded);
}

void UploadsPage::clickUpload() {
    logAlways("Upload button clicked");
    if (panel_)
        panel_->clickUpload();
}

void UploadsPage::activated() {
    context().selection.setCheckable(true);
    logGuarded("Uploads tab selected");
    logAlways("Filter processor started (uploads showing)");
    emit shown();
}

void UploadsPage::deactivated() {
    context().selection.setCheckable(false);
}

} // namespace orvella
