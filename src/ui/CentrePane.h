#pragma once

#include <QTabWidget>

namespace orvella {

class ImageListView;

// The centre pane, page control sPageControl1: "Files" (the image list with
// the bottom pages "IPTC Pattern" and "Filter") and "Studio" (the viewer).
class CentrePane : public QTabWidget {
    Q_OBJECT
public:
    enum Page { FilesPage, StudioPage };

    explicit CentrePane(QWidget* parent = nullptr);

    ImageListView* Easy() const { return easy_; }
    QTabWidget* BottomPages() const { return pcBottom_; }

private:
    QWidget* buildFilesPage();
    QWidget* buildStudioPage();

    ImageListView* easy_ = nullptr;
    QTabWidget* pcBottom_ = nullptr;
};

} // namespace orvella
