#include "ui/SplashWindow.h"

#include "shell/Log.h"
#include "shell/Version.h"
#include "ui/Links.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace orvella {

SplashWindow::SplashWindow()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      lblVersion_(new QLabel(this)), pbProgress_(new QProgressBar(this)) {
    setObjectName("frmSplash");
    setFixedSize(420, 200);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x1F, 0x3B, 0x5C));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);

    lblVersion_->setObjectName("lblVersion");
    lblVersion_->setText(QString("Orvella ") + kProductVersion);
    QFont big = lblVersion_->font();
    big.setPointSize(26);
    big.setBold(true);
    lblVersion_->setFont(big);
    lblVersion_->setAlignment(Qt::AlignCenter);

    auto* tagline = new QLabel("Keywords, states and uploads for stock contributors", this);
    tagline->setAlignment(Qt::AlignCenter);
    auto* link =
        new QLabel(QString("<a style='color:#cfe3ff' href='%1'>%1</a>").arg(kProductWebSite), this);
    link->setObjectName("lblWebSite");
    link->setAlignment(Qt::AlignCenter);
    link->setOpenExternalLinks(true);

    pbProgress_->setObjectName("pbProgress");
    pbProgress_->setRange(0, 100);
    pbProgress_->setTextVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(lblVersion_);
    layout->addWidget(tagline);
    layout->addWidget(link);
    layout->addStretch();
    layout->addWidget(pbProgress_);

    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    logAlways(std::string("Orvella version ") + kProductVersion);
}

void SplashWindow::setProgress(int position) {
    pbProgress_->setValue(position);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace orvella
