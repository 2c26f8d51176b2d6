#include "ui/panes/PageControl.h"

#include "shell/IgnoredError.h"
#include "shell/Options.h"
#include "ui/pages/Page.h"

namespace orvella {

PageControl::PageControl(const char* name, QWidget* parent) : QTabWidget(parent) {
    setObjectName(name);
}

void PageControl::addPageWidget(Page* page, const QString& caption) {
    addTab(page, caption);
    pages_.push_back(page);
    connect(page, &Page::captionChanged, this,
            [this, page](const QString& text) { setTabText(indexOf(page), text); });
}

void PageControl::startFollowingPages() {
    current_ = static_cast<Page*>(currentWidget());
    if (current_)
        current_->markCurrent();
    connect(this, &QTabWidget::currentChanged, this, &PageControl::onCurrentChanged);
}

void PageControl::onCurrentChanged(int index) {
    Page* shown = static_cast<Page*>(widget(index));
    if (shown == current_)
        return;
    // A page switch never fails: what goes wrong while the pages follow it is
    // logged, and the page is shown all the same.
    if (current_)
        ignoringErrors("page switch", [this] { current_->setCurrent(false); });
    current_ = shown;
    if (current_)
        ignoringErrors("page switch", [this] { current_->setCurrent(true); });
    update();
}

void PageControl::applyVisibility(TOptionsCache& options) {
    for (Page* page : pages_)
        if (const char* option = page->visibilityOption())
            setTabVisible(indexOf(page), options.GetOption(option).toBool());
}

void PageControl::restoreLayout(const LoadedLayout& layout) {
    for (Page* page : pages_)
        page->restoreLayout(layout);
}

void PageControl::saveLayout(WindowLayout& layout) const {
    for (const Page* page : pages_)
        page->saveLayout(layout);
}

void PageControl::refreshCurrent() {
    if (current_)
        current_->refresh();
}

} // namespace orvella
