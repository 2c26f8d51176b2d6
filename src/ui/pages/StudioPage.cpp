#include "ui/pages/StudioPage.h"

#include "ui/CommandTable.h"
#include "ui/WidgetHelpers.h"

#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

namespace orvella {

StudioPage::StudioPage(WindowContext& context, QWidget* parent)
    : Page(context, "StudioPage", parent) {
    auto* page = named<QWidget>("tsStudio");
    auto* toolbar = named<QToolBar>("tbStudio");
    context.commands.fill(toolbar, {cmd::OpenImage, cmd::SaveImage, cmd::RotateLeft,
                                    cmd::RotateRight, cmd::ZoomIn, cmd::ZoomOut, cmd::LoadPrevious,
                                    cmd::LoadNext, cmd::FitToWindow});
    auto* picture = named<QScrollArea>("sbStudio");
    auto* status = named<QStatusBar>("StudioStatusBar");
    status->addWidget(named<QLabel>("lblStudioPanel0"), 1);
    status->addWidget(named<QLabel>("lblStudioPanel1"), 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar);
    layout->addWidget(picture, 1);
    layout->addWidget(status);
    setContent(page);
}

} // namespace orvella
