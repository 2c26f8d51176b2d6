#pragma once

#include "ui/pages/Page.h"
#include "viewer/StudioDocument.h"

#include <filesystem>
#include <memory>

class QAction;
class QScrollArea;
class QLabel;
class QThread;

namespace orvella {

class StudioCanvas;

// The centre pane's "Studio" page: the viewer with its toolbar and status
// bar. The work is the StudioDocument's; files are decoded on a worker
// thread, so the window stays responsive while a large picture loads.
class StudioPage : public Page {
    Q_OBJECT
public:
    explicit StudioPage(WindowContext& context, QWidget* parent = nullptr);
    ~StudioPage() override;

    // Load (path, fit): decodes in the background; loaded() follows.
    void load(const std::filesystem::path& file, bool fit);
    // "Load file to Studio": the first selected image, fitted, and the page
    // made the one shown.
    void loadSelectedFile();

    const StudioDocument& document() const { return document_; }
    bool loading() const { return loader_ != nullptr; }

signals:
    // A load ended (with a picture, none, or an error shown to the user).
    void loaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void bindCommands();
    void openImage();
    void saveImage();
    void step(int direction);
    void showDocument();
    bool fitToWindow() const;
    bool handleKey(QKeyEvent* event);

    StudioDocument document_;
    QScrollArea* scroll_;
    StudioCanvas* canvas_;
    QLabel* panel0_;
    QLabel* panel1_;
    QThread* loader_ = nullptr;
};

} // namespace orvella
