#pragma once

#include "ui/panes/PageControl.h"

namespace orvella {

struct WindowContext;
class StockInfoPage;
class ImageInfoPage;
class KeywordsPage;
class SecondFilesPage;
class ModelReleasePage;

// The right pane, page control PageControl2: "Stock Info", "Image Info",
// "Keywords", "Files" and "Model Release".
class RightPane : public PageControl {
    Q_OBJECT
public:
    explicit RightPane(WindowContext& context, QWidget* parent = nullptr);

    StockInfoPage& stockInfo() const { return *stockInfo_; }
    ImageInfoPage& imageInfo() const { return *imageInfo_; }
    KeywordsPage& keywords() const { return *keywords_; }
    SecondFilesPage& secondFiles() const { return *secondFiles_; }
    ModelReleasePage& modelRelease() const { return *modelRelease_; }

private:
    StockInfoPage* stockInfo_;
    ImageInfoPage* imageInfo_;
    KeywordsPage* keywords_;
    SecondFilesPage* secondFiles_;
    ModelReleasePage* modelRelease_;
};

} // namespace orvella
