#include "ui/Skin.h"

#include "shell/Layout.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace orvella {

namespace {

QPalette blueIcePalette() {
    QPalette palette;
    const QColor ice(0xE8, 0xF1, 0xFA), frost(0xF7, 0xFB, 0xFF), steel(0x2F, 0x5D, 0x8A);
    palette.setColor(QPalette::Window, ice);
    palette.setColor(QPalette::Base, frost);
    palette.setColor(QPalette::AlternateBase, ice);
    palette.setColor(QPalette::Button, QColor(0xD6, 0xE6, 0xF5));
    palette.setColor(QPalette::Highlight, steel);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::WindowText, QColor(0x10, 0x24, 0x38));
    palette.setColor(QPalette::Text, QColor(0x10, 0x24, 0x38));
    palette.setColor(QPalette::ButtonText, QColor(0x10, 0x24, 0x38));
    palette.setColor(QPalette::ToolTipBase, frost);
    palette.setColor(QPalette::Link, steel);
    const QColor greyed(0x8A, 0x97, 0xA5);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, greyed);
    return palette;
}

// The style the platform gave the application, remembered before any skin.
const QString& platformStyleName() {
    static const QString name = QApplication::style()->name();
    return name;
}

} // namespace

void applySkin(const QString& name, bool active) {
    const QString platformStyle = platformStyleName();
    if (!active) {
        QApplication::setStyle(QStyleFactory::create(platformStyle));
        QApplication::setPalette(QApplication::style()->standardPalette());
        return;
    }
    if (name == kDefaultSkin) {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(blueIcePalette());
        return;
    }
    // Any other name is one of Qt's styles; an unknown one falls back to Fusion.
    bool known = QStyleFactory::keys().contains(name, Qt::CaseInsensitive);
    QApplication::setStyle(QStyleFactory::create(known ? name : QString("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
}

} // namespace orvella
