#pragma once

#include "ui/pages/Page.h"

namespace orvella {

// The centre pane's "Studio" page: the viewer with its toolbar and status bar.
class StudioPage : public Page {
    Q_OBJECT
public:
    explicit StudioPage(WindowContext& context, QWidget* parent = nullptr);
};

} // namespace orvella
