#pragma once

#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "ui/pages/Page.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;

namespace orvella {

struct ImageListItem;

// The right pane's "Image Info" page: the text fields of the focused image's
// file ("Info"), its EXIF entries and its IPTC entries. Leaving a field
// writes it into every selected file. The page also carries the window's
// "Synchronize keywords" and "Clear EXIF tags" commands.
class ImageInfoPage : public Page {
    Q_OBJECT
public:
    explicit ImageInfoPage(WindowContext& context, QWidget* parent = nullptr);

    const char* visibilityOption() const override { return "tabimageinfo"; }
    void refresh() override { loadSubPage(); }
    // Fills the "Info" keyword list again for the image shown.
    void reloadKeywords();

signals:
    // A command of the page changed the keywords of images.
    void keywordsChanged();

protected:
    void activated() override { loadSubPage(); }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildInfoPage();
    void bindCommands();
    void clearFields();
    void loadSubPage();
    void fillInfo(const TImageData& image);
    void fillExif(const TImageData& image);
    void fillIptc(const TImageData& image);
    void writeField(const char* dataset, const QString& text, QComboBox* history);
    void keywordCommand(const std::function<void()>& command);
    void writingCommand(const std::function<void(KeywordTools&, ImageInfoEditor&)>& command);
    void moveKeyword(bool up);
    void synchronize();
    void clearExif();

    ImageInfoEditor editor_;
    KeywordTools tools_;
    QTabWidget* pages_;
    QComboBox* caption_ = nullptr;
    QPlainTextEdit* description_ = nullptr;
    QComboBox* copyright_ = nullptr;
    QComboBox* contact_ = nullptr;
    QListWidget* keywords_ = nullptr;
    QLineEdit* keywordInput_ = nullptr;
    QTableWidget* exifGrid_;
    QTableWidget* iptcGrid_;
};

} // namespace orvella
