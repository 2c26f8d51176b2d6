#pragma once

#include "shell/Progress.h"

#include <memory>

class QWidget;
class QProgressBar;

namespace orvella {

// The "Processing" window: borderless, always on top, centred, 248 x 33,
// one progress bar; the hour-glass cursor while it is open.
class ProgressWindow : public Progress {
public:
    ProgressWindow();
    ~ProgressWindow() override;

    QWidget* window() const { return window_.get(); }

protected:
    void showWindow(int maximum) override;
    void setPosition(int position) override;
    void hideWindow() override;

private:
    std::unique_ptr<QWidget> window_;
    QProgressBar* bar_ = nullptr;
};

} // namespace orvella
