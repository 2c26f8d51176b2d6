#include "ui/CentrePane.h"

#include "ui/ImageListView.h"
#include "ui/WidgetHelpers.h"

#include <QCheckBox>
#include <QListWidget>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace orvella {

CentrePane::CentrePane(QWidget* parent) : QTabWidget(parent) {
    setObjectName("sPageControl1");
    addTab(buildFilesPage(), "Files");
    addTab(buildStudioPage(), "Studio");
}

QWidget* CentrePane::buildFilesPage() {
    auto* page = named<QSplitter>("tsCentreFiles", Qt::Vertical);
    easy_ = new ImageListView("Easy", page);
    pcBottom_ = named<QTabWidget>("pcBottom");
    pcBottom_->addTab(named<QWidget>("tsIPTCPattern"), "IPTC Pattern");

    auto* filter = named<QWidget>("tsFilter");
    auto* filterLayout = new QVBoxLayout(filter);
    filterLayout->addWidget(named<QCheckBox>("cbFilter", "Apply filter"));
    filterLayout->addWidget(named<QListWidget>("clbFormats"), 1);
    pcBottom_->addTab(filter, "Filter");

    page->addWidget(easy_);
    page->addWidget(pcBottom_);
    page->setStretchFactor(0, 1);
    return page;
}

QWidget* CentrePane::buildStudioPage() {
    auto* page = named<QWidget>("tsStudio");
    auto* toolbar = named<QToolBar>("tbStudio");
    struct Button {
        const char* name;
        const char* hint;
    } buttons[] = {{"actOpenImage", "Open image"},          {"actSaveImage", "Save Image"},
                   {"actRotateLeft", "Rotate anticlockwise"}, {"actRotateRight", "Rotate clockwise"},
                   {"actZoomIn", "Zoom in"},                {"actZoomOut", "Zoom out"},
                   {"actLoadPrevious", "Load previous"},    {"actLoadNext", "Load next"},
                   {"actFitToWindow", "Fit to window"}};
    for (const Button& button : buttons)
        hintButton(toolbar, button.name, button.hint);
    auto* picture = named<QScrollArea>("sbStudio");
    auto* status = named<QStatusBar>("StudioStatusBar");
    status->addWidget(named<QLabel>("lblStudioPanel0"), 1);
    status->addWidget(named<QLabel>("lblStudioPanel1"), 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar);
    layout->addWidget(picture, 1);
    layout->addWidget(status);
    return page;
}

} // namespace orvella
