#include "ui/pages/Page.h"

#include "shell/Log.h"
#include "ui/ImageSelection.h"

#include <QSplitter>
#include <QVBoxLayout>

namespace orvella {

namespace {
// The size given to the other part of a two-part splitter.
constexpr int kRestOfSplitter = 400;
} // namespace

Page::Page(WindowContext& context, const char* name, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(name);
}

void Page::setContent(QWidget* content) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

void Page::setCurrent(bool current) {
    if (current == current_)
        return;
    current_ = current;
    if (!current) {
        deactivated();
        return;
    }
    if (imageLine_ && context_.selection.focused())
        logGuarded(imageLine_);
    activated();
}

void Page::logWhileShowingImages(const char* line) {
    imageLine_ = line;
    connect(&context_.selection, &ImageSelection::focusedImageChanged, this, [this] {
        if (current_)
            logGuarded(imageLine_);
    });
}

void Page::restoreSplitter(QSplitter* splitter, int part, int size) {
    splitter->setSizes(part == 0 ? QList<int>{size, kRestOfSplitter}
                                 : QList<int>{kRestOfSplitter, size});
}

int Page::splitterPart(const QSplitter* splitter, int part) {
    return splitter->sizes().value(part);
}

} // namespace orvella
