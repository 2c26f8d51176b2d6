#pragma once

#include "ui/pages/Page.h"

class QListWidget;

namespace orvella {

// The left pane's "Uploads" page: the upload log and its buttons. While it
// is shown the image list offers check boxes to choose what to upload.
class UploadsPage : public Page {
    Q_OBJECT
public:
    explicit UploadsPage(WindowContext& context, QWidget* parent = nullptr);

    const char* visibilityOption() const override { return "tabuploads"; }
    void refresh() override { activated(); }

protected:
    void activated() override;
    void deactivated() override;

private:
    QListWidget* log_;
};

} // namespace orvella
