#pragma once

#include "ui/pages/Page.h"

namespace orvella {

// The bottom page "Filter" of the image list: whether to filter, and the
// file formats shown.
class FilterPanel : public Page {
    Q_OBJECT
public:
    explicit FilterPanel(WindowContext& context, QWidget* parent = nullptr);
};

} // namespace orvella
