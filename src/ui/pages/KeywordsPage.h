#pragma once

#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "ui/pages/Page.h"

class QListWidget;
class QPlainTextEdit;
class QSplitter;

namespace orvella {

// The right pane's "Keywords" page: the focused image's keywords in order,
// the input memo for new ones, and the keywords of the image's categories as
// a check list that can be dragged onto the image's list. Its tab shows the
// number of keywords while an image is shown. The page also carries the
// window's "Copy Image Keywords" command.
class KeywordsPage : public Page {
    Q_OBJECT
public:
    explicit KeywordsPage(WindowContext& context, QWidget* parent = nullptr);

    // "Keywords (n)" on the tab.
    void showKeywordCount(int count);
    // "Keywords" on the tab.
    void clearKeywordCount();
    // Fills the lists again for the image shown, without reading its file.
    void reloadKeywords();

    const char* visibilityOption() const override { return "tabkeywords"; }
    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;
    void refresh() override { activated(); }

signals:
    // A command of the page changed the keywords of images.
    void keywordsChanged();

protected:
    void activated() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildCategoryPanel();
    void bindCommands();
    void keywordCommand(const std::function<void()>& command);
    void writingCommand(const std::function<void(KeywordTools&)>& command);
    void moveKeyword(bool up);
    void saveToFile();
    void loadFromFile();
    void checkAll(Qt::CheckState state, bool invert);
    std::vector<std::string> selectedKeywords() const;
    std::vector<std::string> checkedCategoryKeywords() const;

    ImageInfoEditor editor_;
    KeywordTools tools_;
    QSplitter* splitter_;
    QPlainTextEdit* input_ = nullptr;
    QListWidget* imageKeywords_ = nullptr;
    QListWidget* categoryKeywords_ = nullptr;
};

} // namespace orvella
