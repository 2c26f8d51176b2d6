#include "ui/pages/FilterPanel.h"

#include "ui/WidgetHelpers.h"

#include <QCheckBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace orvella {

FilterPanel::FilterPanel(WindowContext& context, QWidget* parent)
    : Page(context, "FilterPanel", parent) {
    auto* filter = named<QWidget>("tsFilter");
    auto* layout = new QVBoxLayout(filter);
    layout->addWidget(named<QCheckBox>("cbFilter", "Apply filter"));
    layout->addWidget(named<QListWidget>("clbFormats"), 1);
    setContent(filter);
}

} // namespace orvella
