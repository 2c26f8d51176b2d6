#include "ui/panes/CentrePane.h"

#include "ui/pages/ImageListPage.h"
#include "ui/pages/StudioPage.h"

namespace orvella {

CentrePane::CentrePane(WindowContext& context, QWidget* parent)
    : PageControl("sPageControl1", parent) {
    imageList_ = addPage(new ImageListPage(context), "Files");
    studio_ = addPage(new StudioPage(context), "Studio");
    startFollowingPages();
}

} // namespace orvella
