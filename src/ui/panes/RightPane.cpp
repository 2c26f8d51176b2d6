#include "ui/panes/RightPane.h"

#include "ui/pages/ImageInfoPage.h"
#include "ui/pages/KeywordsPage.h"
#include "ui/pages/ModelReleasePage.h"
#include "ui/pages/SecondFilesPage.h"
#include "ui/pages/StockInfoPage.h"

namespace orvella {

RightPane::RightPane(WindowContext& context, QWidget* parent)
    : PageControl("PageControl2", parent) {
    stockInfo_ = addPage(new StockInfoPage(context), "Stock Info");
    imageInfo_ = addPage(new ImageInfoPage(context), "Image Info");
    keywords_ = addPage(new KeywordsPage(context), "Keywords");
    secondFiles_ = addPage(new SecondFilesPage(context), "Files");
    modelRelease_ = addPage(new ModelReleasePage(context), "Model Release");
    startFollowingPages();
}

} // namespace orvella
