#include "ui/panes/LeftPane.h"

#include "ui/pages/CatalogPage.h"
#include "ui/pages/FilesPage.h"
#include "ui/pages/StocksPage.h"
#include "ui/pages/UploadsPage.h"

namespace orvella {

LeftPane::LeftPane(WindowContext& context, QWidget* parent) : PageControl("PageControl1", parent) {
    files_ = addPage(new FilesPage(context), "Files");
    catalog_ = addPage(new CatalogPage(context), "Catalog");
    stocks_ = addPage(new StocksPage(context), "Stocks");
    uploads_ = addPage(new UploadsPage(context), "Uploads");
    startFollowingPages();
}

} // namespace orvella
