#include "ui/pages/UploadsPage.h"

#include "shell/Log.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvella {

UploadsPage::UploadsPage(WindowContext& context, QWidget* parent)
    : Page(context, "UploadsPage", parent) {
    auto* page = named<QWidget>("tsUploads");
    log_ = named<QListWidget>("lbLog");
    auto* start = named<QPushButton>("btnUpload", "Start &Upload");
    start->setEnabled(false);
    auto* clear = named<QPushButton>("btnClearLog", "&Clear log");
    connect(clear, &QPushButton::clicked, log_, &QListWidget::clear);
    auto* save = named<QPushButton>("btnSaveLog", "&Save log");
    save->setEnabled(false);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(new QLabel("Uploading Log"));
    layout->addWidget(log_, 1);
    layout->addWidget(named<QLabel>("lblUploadProgress", "Uploading progress..."));
    layout->addWidget(named<QLabel>("lblCurrentFile"));
    layout->addWidget(named<QLabel>("lblProgress"));
    layout->addWidget(named<QProgressBar>("pbUpload"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {start, clear, save})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    setContent(page);
}

void UploadsPage::activated() {
    context().selection.setCheckable(true);
    logGuarded("Uploads tab selected");
}

void UploadsPage::deactivated() {
    context().selection.setCheckable(false);
}

} // namespace orvella
