#include "ui/AboutBox.h"

#include "shell/Version.h"
#include "ui/Links.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvella {

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About Orvella");

    auto* product = new QLabel("Orvella", this);
    product->setObjectName("lblProduct");
    product->setStyleSheet("color: maroon;");
    QFont font = product->font();
    font.setPointSize(24);
    font.setBold(true);
    font.setItalic(true);
    product->setFont(font);

    auto* version = new QLabel(QString("version ") + kProductVersion, this);
    version->setObjectName("lblVersion");
    auto* description = new QLabel("The daily desk of the stock contributor.", this);
    description->setObjectName("lblDescription");
    auto* link = new QLabel(QString("<a href='%1'>%1</a>").arg(kProductWebSite), this);
    link->setObjectName("lblWebSite");
    link->setOpenExternalLinks(true);

    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* line : {static_cast<QWidget*>(product), static_cast<QWidget*>(version),
                          static_cast<QWidget*>(description), static_cast<QWidget*>(link)}) {
        layout->addWidget(line, 0, Qt::AlignHCenter);
    }
    layout->addSpacing(8);
    layout->addWidget(close, 0, Qt::AlignHCenter);
}

} // namespace orvella
