#pragma once

#include <QDialog>

namespace orvella {

// Help > About: product name, version, a line about the product and its web site.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

} // namespace orvella
