#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QScreen>
#include <QWidget>

namespace orvella {

ProgressWindow::ProgressWindow() = default;

ProgressWindow::~ProgressWindow() {
    if (window_)
        hideWindow();
}

void ProgressWindow::showWindow(int maximum) {
    if (window_)
        hideWindow();
    window_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint |
                                                     Qt::WindowStaysOnTopHint);
    window_->setObjectName("frmProgress");
    window_->setWindowTitle("Processing");
    window_->setFixedSize(248, 33);
    bar_ = new QProgressBar(window_.get());
    bar_->setObjectName("pbProgress");
    bar_->setRange(0, maximum);
    auto* layout = new QHBoxLayout(window_.get());
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(bar_);
    if (QScreen* screen = QApplication::primaryScreen())
        window_->move(screen->geometry().center() - window_->rect().center());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    window_->show();
}

void ProgressWindow::setPosition(int position) {
    if (bar_)
        bar_->setValue(position);
    QApplication::processEvents();
}

void ProgressWindow::hideWindow() {
    if (!window_)
        return;
    QApplication::restoreOverrideCursor();
    window_.reset();
    bar_ = nullptr;
}

} // namespace orvella
