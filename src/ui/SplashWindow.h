#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace orvella {

// The window shown while the catalogue and the main window are created.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    SplashWindow();

    // Moves the progress bar and repaints at once, as start-up blocks the loop.
    void setProgress(int position);

private:
    QLabel* lblVersion_;
    QProgressBar* pbProgress_;
};

} // namespace orvella
