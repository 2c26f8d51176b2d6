#include "ui/pages/IptcPatternPage.h"

#include "ui/WidgetHelpers.h"

namespace orvella {

IptcPatternPage::IptcPatternPage(WindowContext& context, QWidget* parent)
    : Page(context, "IptcPatternPage", parent) {
    setContent(named<QWidget>("tsIPTCPattern"));
}

} // namespace orvella
