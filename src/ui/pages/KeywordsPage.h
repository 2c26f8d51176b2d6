#pragma once

#include "ui/pages/Page.h"

class QSplitter;

namespace orvella {

// The right pane's "Keywords" page: the focused image's keywords in order,
// and the keywords of the selected category. Its tab shows the number of
// keywords while an image is shown.
class KeywordsPage : public Page {
    Q_OBJECT
public:
    explicit KeywordsPage(WindowContext& context, QWidget* parent = nullptr);

    // "Keywords (n)" on the tab.
    void showKeywordCount(int count);
    // "Keywords" on the tab.
    void clearKeywordCount();

    const char* visibilityOption() const override { return "tabkeywords"; }
    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;

private:
    QSplitter* splitter_;
};

} // namespace orvella
