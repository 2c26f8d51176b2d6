#pragma once

#include "ui/pages/Page.h"

namespace orvella {

// The right pane's "Image Info" page: the focused image's caption,
// description, keywords and its EXIF and IPTC tags.
class ImageInfoPage : public Page {
    Q_OBJECT
public:
    explicit ImageInfoPage(WindowContext& context, QWidget* parent = nullptr);

    const char* visibilityOption() const override { return "tabimageinfo"; }

private:
    QWidget* buildInfoPage();
};

} // namespace orvella
