#pragma once

#include "ui/panes/PageControl.h"

namespace orvella {

struct WindowContext;
class ImageListPage;
class StudioPage;

// The centre pane, page control sPageControl1: "Files" (the image list with
// its bottom pages) and "Studio" (the viewer).
class CentrePane : public PageControl {
    Q_OBJECT
public:
    explicit CentrePane(WindowContext& context, QWidget* parent = nullptr);

    ImageListPage& imageList() const { return *imageList_; }
    StudioPage& studio() const { return *studio_; }

private:
    ImageListPage* imageList_;
    StudioPage* studio_;
};

} // namespace orvella
