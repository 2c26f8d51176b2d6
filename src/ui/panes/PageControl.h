#pragma once

#include <QTabWidget>
#include <vector>

namespace orvella {

class Page;
class TOptionsCache;
struct LoadedLayout;
struct WindowLayout;

// A pane: a tab control of pages. It adds pages, tells them when they are
// shown or left, and passes the layout, the page options and the Refresh
// command on to them.
class PageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit PageControl(const char* name, QWidget* parent = nullptr);

    // Hides the pages whose options are off.
    void applyVisibility(TOptionsCache& options);
    void restoreLayout(const LoadedLayout& layout);
    void saveLayout(WindowLayout& layout) const;
    // The Refresh command: the page shown refreshes itself.
    void refreshCurrent();

    // Adds a page with its caption; the first one added is the page shown.
    template <class P> P* addPage(P* page, const QString& caption) {
        addPageWidget(page, caption);
        return page;
    }
    // Starts telling the pages when they are shown; called once all are added.
    void startFollowingPages();

private:
    void addPageWidget(Page* page, const QString& caption);
    void onCurrentChanged(int index);

    std::vector<Page*> pages_;
    Page* current_ = nullptr;
};

} // namespace orvella
