#pragma once

#include "metadata/IptcPatterns.h"
#include "ui/pages/Page.h"

class QComboBox;
class QPlainTextEdit;
class QTableWidget;

namespace orvella {

// The bottom page "IPTC Pattern" of the image list: the pattern as a grid of
// dataset names and values, saved to and loaded from the "Patterns" folder,
// filled from the first selected image and stamped on the selected images.
// The rows are the TIptcPattern's; the grid shows them and edits them.
class IptcPatternPage : public Page {
    Q_OBJECT
public:
    explicit IptcPatternPage(WindowContext& context, QWidget* parent = nullptr);

    const TIptcPattern& pattern() const { return pattern_; }

    void addTag();
    void deleteTag();
    void savePattern();
    void loadPattern();
    void getDataFromSelectedImage();
    void applyPatternToSelectedImages();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRows();
    void rowEdited(int row, int column);

    TIptcPattern pattern_;
    QComboBox* tags_;
    QPlainTextEdit* value_;
    QTableWidget* grid_;
    bool showing_ = false;
};

} // namespace orvella
