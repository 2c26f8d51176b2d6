#include "ui/pages/KeywordsPage.h"

#include "shell/Layout.h"
#include "ui/CommandTable.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

namespace orvella {

KeywordsPage::KeywordsPage(WindowContext& context, QWidget* parent)
    : Page(context, "KeywordsPage", parent) {
    splitter_ = named<QSplitter>("tsKeywords", Qt::Vertical);
    auto* categoryPanel = named<QWidget>("pnlCategoryKeywords");
    auto* categoryLayout = new QVBoxLayout(categoryPanel);
    categoryLayout->setContentsMargins(0, 0, 0, 0);
    categoryLayout->addWidget(new QLabel("Category keywords"));
    categoryLayout->addWidget(named<QListWidget>("CategoryKeywords"), 1);

    auto* imageBar = named<QToolBar>("tbImageKeywords");
    context.commands.fill(imageBar, {cmd::AddImageKeyword, cmd::DeleteImageKeyword,
                                     cmd::DeleteKeywordFromDatabase, cmd::SaveImageKeywords,
                                     cmd::LoadImageKeywords, cmd::PasteImageKeywords,
                                     cmd::CopyImageKeywords, cmd::AddCategoryKeywordsToImage});
    auto* orderBar = named<QToolBar>("tbKeywordOrder");
    context.commands.fill(orderBar,
                          {cmd::ImageKeywordUp, cmd::ImageKeywordDown, cmd::SortImageKeywords});
    auto* imageKeywords = new QWidget;
    auto* layout = new QVBoxLayout(imageKeywords);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(named<QPlainTextEdit>("mImageKeywords"));
    layout->addWidget(imageBar);
    layout->addWidget(named<QListWidget>("ImageKeywords"), 1);
    layout->addWidget(orderBar);
    splitter_->addWidget(imageKeywords);
    splitter_->addWidget(categoryPanel);
    setContent(splitter_);

    connect(&context.selection, &ImageSelection::focusedImageChanged, this,
            &KeywordsPage::clearKeywordCount);
    logWhileShowingImages("Keywords tab selected");
}

void KeywordsPage::showKeywordCount(int count) {
    emit captionChanged(QString("Keywords (%1)").arg(count));
}

void KeywordsPage::clearKeywordCount() {
    emit captionChanged("Keywords");
}

void KeywordsPage::restoreLayout(const LoadedLayout& layout) {
    restoreSplitter(splitter_, 1, layout.layout.categoryKeywords);
}

void KeywordsPage::saveLayout(WindowLayout& layout) const {
    layout.categoryKeywords = splitterPart(splitter_, 1);
}

} // namespace orvella
