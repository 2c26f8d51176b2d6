#pragma once

#include "ui/WindowContext.h"

#include <QString>
#include <QWidget>

class QSplitter;

namespace orvella {

struct LoadedLayout;
struct WindowLayout;
struct ImageListItem;

// One page of a pane. A page builds and owns its widgets, binds its own
// commands through the context's command table and follows the image
// selection; the rest of the window calls its operations, never its widgets.
class Page : public QWidget {
    Q_OBJECT
public:
    // The option that hides the page when it is off; null when always shown.
    virtual const char* visibilityOption() const { return nullptr; }
    // The page's splitters, from the layout and back into it.
    virtual void restoreLayout(const LoadedLayout&) {}
    virtual void saveLayout(WindowLayout&) const {}
    // The Refresh command while the page is shown.
    virtual void refresh() {}

    bool isCurrent() const { return current_; }
    // Called by the pane when the page is shown or left; the pane's first
    // page is marked shown without being told (nothing changed for it).
    void setCurrent(bool current);
    void markCurrent() { current_ = true; }

signals:
    // The text of the page's tab.
    void captionChanged(const QString& caption);

protected:
    Page(WindowContext& context, const char* name, QWidget* parent = nullptr);

    WindowContext& context() const { return context_; }
    // Lays content out as the page's only child, without margins.
    void setContent(QWidget* content);
    // The line logged when the page is shown while an image has the focus,
    // and when the focus moves while the page is shown.
    void logWhileShowingImages(const char* line);

    virtual void activated() {}
    virtual void deactivated() {}

    // One part of a splitter takes its size from the layout.
    static void restoreSplitter(QSplitter* splitter, int part, int size);
    static int splitterPart(const QSplitter* splitter, int part);

private:
    WindowContext& context_;
    bool current_ = false;
    const char* imageLine_ = nullptr;
};

} // namespace orvella
