#pragma once

#include "ui/pages/Page.h"

class QListWidget;

namespace orvella {

// The right pane's "Model Release" page: the releases of the catalogue, to
// attach to the selected images, and a new release's picture and model name.
class ModelReleasePage : public Page {
    Q_OBJECT
public:
    explicit ModelReleasePage(WindowContext& context, QWidget* parent = nullptr);

    // Lists the catalogue's releases again, none of them ticked.
    void reload();

    const char* visibilityOption() const override { return "tabmodel"; }

private:
    QListWidget* releases_;
};

} // namespace orvella
