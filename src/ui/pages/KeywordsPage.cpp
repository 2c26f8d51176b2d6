#include "ui/pages/KeywordsPage.h"

#include "shell/IgnoredError.h"
#include "shell/Layout.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"
#include "ui/pages/BackgroundCommand.h"
#include "ui/pages/ImageCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

namespace orvella {

KeywordsPage::KeywordsPage(WindowContext& context, QWidget* parent)
    : Page(context, "KeywordsPage", parent), editor_(context.stockDB, &context.options),
      tools_(editor_, context.prompts, context.progress) {
    splitter_ = named<QSplitter>("tsKeywords", Qt::Vertical);
    auto* imageBar = named<QToolBar>("tbImageKeywords");
    const CommandLayout imageCommands = {
        cmd::AddImageKeyword,   cmd::DeleteImageKeyword,        cmd::DeleteKeywordFromDatabase,
        cmd::SaveImageKeywords, cmd::LoadImageKeywords,         cmd::PasteImageKeywords,
        cmd::CopyImageKeywords, cmd::AddCategoryKeywordsToImage};
    context.commands.fill(imageBar, imageCommands);
    auto* orderBar = named<QToolBar>("tbKeywordOrder");
    context.commands.fill(orderBar,
                          {cmd::ImageKeywordUp, cmd::ImageKeywordDown, cmd::SortImageKeywords});
    input_ = named<QPlainTextEdit>("mImageKeywords");
    input_->installEventFilter(this);
    imageKeywords_ = named<QListWidget>("ImageKeywords");
    imageKeywords_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    imageKeywords_->setContextMenuPolicy(Qt::ActionsContextMenu);
    context.commands.fill(imageKeywords_, imageCommands);
    imageKeywords_->setAcceptDrops(true);
    imageKeywords_->viewport()->installEventFilter(this);
    auto* imagePanel = new QWidget;
    auto* layout = new QVBoxLayout(imagePanel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(input_);
    layout->addWidget(imageBar);
    layout->addWidget(imageKeywords_, 1);
    layout->addWidget(orderBar);
    splitter_->addWidget(imagePanel);
    splitter_->addWidget(buildCategoryPanel());
    setContent(splitter_);
    bindCommands();

    connect(&context.selection, &ImageSelection::focusedImageChanged, this, [this] {
        clearKeywordCount();
        imageKeywords_->clear();
        categoryKeywords_->clear();
        if (isCurrent())
            activated();
    });
    logWhileShowingImages("Keywords tab selected");
}

QWidget* KeywordsPage::buildCategoryPanel() {
    categoryKeywords_ = named<QListWidget>("CategoryKeywords");
    categoryKeywords_->setDragEnabled(true);
    categoryKeywords_->setDragDropMode(QAbstractItemView::DragOnly);
    categoryKeywords_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto addLocal = [this](const char* name, const char* caption, auto handler) {
        auto* action = named<QAction>(name, caption, categoryKeywords_);
        connect(action, &QAction::triggered, this, handler);
        categoryKeywords_->addAction(action);
    };
    addLocal("Selectall1", "Select all", [this] { checkAll(Qt::Checked, false); });
    addLocal("Deselectall1", "Deselect all", [this] { checkAll(Qt::Unchecked, false); });
    addLocal("Invertselection2", "Invert selection", [this] { checkAll(Qt::Checked, true); });
    categoryKeywords_->addAction(context().commands.Action(cmd::AddCategoryKeywordsToImage));
    auto* panel = named<QWidget>("pnlCategoryKeywords");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("Category keywords"));
    layout->addWidget(categoryKeywords_, 1);
    return panel;
}

void KeywordsPage::bindCommands() {
    CommandTable& commands = context().commands;
    ImageSelection& selection = context().selection;
    commands.Bind(cmd::AddImageKeyword, this, [this, &selection] {
        std::string text = input_->toPlainText().toStdString();
        std::vector<TImageData> images = selectedImages(selection);
        bool added = false;
        writingCommand([&](KeywordTools& tools) { added = tools.AddKeywordText(images, text); });
        if (added)
            input_->clear();
    });
    commands.Bind(cmd::DeleteImageKeyword, this, [this, &selection] {
        std::vector<std::string> keywords = selectedKeywords();
        if (keywords.empty())
            return;
        std::vector<TImageData> images = selectedImages(selection);
        writingCommand([&](KeywordTools& tools) { tools.RemoveImageKeywords(images, keywords); });
        input_->clear();
    });
    commands.Bind(cmd::DeleteKeywordFromDatabase, this, [this, &selection] {
        if (imageKeywords_->currentItem() == nullptr)
            return;
        std::vector<std::string> keywords = selectedKeywords();
        keywordCommand(
            [&] { tools_.DeleteKeywordsFromDatabase(firstSelectedImage(selection), keywords); });
    });
    commands.Bind(cmd::SaveImageKeywords, this, [this] { saveToFile(); });
    commands.Bind(cmd::LoadImageKeywords, this, [this] { loadFromFile(); });
    commands.Bind(cmd::PasteImageKeywords, this, [this, &selection] {
        std::string text = QApplication::clipboard()->text().toStdString();
        std::vector<TImageData> images = selectedImages(selection);
        writingCommand([&](KeywordTools& tools) { tools.AddKeywordText(images, text); });
    });
    commands.Bind(cmd::CopyImageKeywords, this, [this] {
        QStringList keywords;
        for (int row = 0; row < imageKeywords_->count(); ++row)
            keywords << imageKeywords_->item(row)->text();
        QApplication::clipboard()->setText(keywords.join(','));
    });
    commands.Bind(cmd::AddCategoryKeywordsToImage, this, [this, &selection] {
        std::vector<std::string> checked = checkedCategoryKeywords();
        std::vector<TImageData> images = selectedImages(selection);
        writingCommand([&](KeywordTools& tools) { tools.AddCategoryKeywords(images, checked); });
    });
    commands.Bind(cmd::ImageKeywordUp, this, [this] { moveKeyword(true); });
    commands.Bind(cmd::ImageKeywordDown, this, [this] { moveKeyword(false); });
    commands.Bind(cmd::SortImageKeywords, this, [this, &selection] {
        std::vector<TImageData> images = selectedImages(selection);
        writingCommand([&](KeywordTools& tools) { tools.SortKeywords(images); });
    });
    commands.Bind(cmd::CopyKeywords, this, [this, &selection] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        std::optional<std::string> line;
        runFileCommand(this, [&] { line = tools_.CopyImageKeywords(selectedImages(selection)); });
        QApplication::restoreOverrideCursor();
        if (!line)
            return;
        reloadKeywords();
        QApplication::clipboard()->setText(QString::fromStdString(*line));
    });
}

// A command over the whole selection, whose file writes run off the window
// thread; then the result is shown.
void KeywordsPage::writingCommand(const std::function<void(KeywordTools&)>& command) {
    if (context().selection.selected().empty())
        return;
    runFileCommand(this, [&] {
        runOffWindowThread(context(),
                           [&](KeywordTools& tools, ImageInfoEditor&) { command(tools); });
    });
    reloadKeywords();
    emit keywordsChanged();
}

// Runs a keyword command of the page, then shows the result.
void KeywordsPage::keywordCommand(const std::function<void()>& command) {
    if (context().selection.selected().empty())
        return;
    runFileCommand(this, command);
    reloadKeywords();
    emit keywordsChanged();
}

void KeywordsPage::moveKeyword(bool up) {
    int row = imageKeywords_->currentRow();
    if (row < 0 || (up && row == 0) || (!up && row == imageKeywords_->count() - 1))
        return;
    std::string keyword = imageKeywords_->item(row)->text().toStdString();
    keywordCommand(
        [&] { tools_.MoveKeyword(firstSelectedImage(context().selection), keyword, up); });
    imageKeywords_->setCurrentRow(up ? row - 1 : row + 1);
    imageKeywords_->setFocus();
}

void KeywordsPage::saveToFile() {
    std::vector<TImageData> image = firstSelectedImage(context().selection);
    std::string proposed = image.empty() ? std::string() : image.front().FileName + ".txt";
    std::optional<std::string> chosen =
        context().prompts.chooseFileToSave("Save keywords", "Text files (*.txt)", proposed);
    if (!chosen)
        return;
    std::vector<std::string> keywords;
    for (int row = 0; row < imageKeywords_->count(); ++row)
        keywords.push_back(imageKeywords_->item(row)->text().toStdString());
    WriteKeywordFile(KeywordFileName(*chosen), keywords);
}

void KeywordsPage::loadFromFile() {
    if (context().selection.selected().empty())
        return;
    std::optional<std::string> chosen =
        context().prompts.chooseFileToOpen("Load keywords", "Text files (*.txt)");
    if (!chosen)
        return;
    keywordCommand(
        [&] { tools_.LoadKeywordsFromFile(firstSelectedImage(context().selection), *chosen); });
}

void KeywordsPage::checkAll(Qt::CheckState state, bool invert) {
    for (int row = 0; row < categoryKeywords_->count(); ++row) {
        QListWidgetItem* item = categoryKeywords_->item(row);
        if (invert)
            item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        else
            item->setCheckState(state);
    }
}

std::vector<std::string> KeywordsPage::selectedKeywords() const {
    std::vector<std::string> keywords;
    for (int row = 0; row < imageKeywords_->count(); ++row)
        if (imageKeywords_->item(row)->isSelected())
            keywords.push_back(imageKeywords_->item(row)->text().toStdString());
    return keywords;
}

std::vector<std::string> KeywordsPage::checkedCategoryKeywords() const {
    std::vector<std::string> keywords;
    for (int row = 0; row < categoryKeywords_->count(); ++row)
        if (categoryKeywords_->item(row)->checkState() == Qt::Checked)
            keywords.push_back(categoryKeywords_->item(row)->text().toStdString());
    return keywords;
}

// Shown: the file's keywords join the image's catalogue keywords first.
void KeywordsPage::activated() {
    std::vector<TImageData> image = firstSelectedImage(context().selection);
    if (image.empty())
        return;
    ignoringErrors("showing the image keywords",
                   [&] { editor_.ImportFileKeywords(image.front().FullName, image.front().MD5); });
    reloadKeywords();
}

void KeywordsPage::reloadKeywords() {
    imageKeywords_->clear();
    categoryKeywords_->clear();
    std::vector<TImageData> image = firstSelectedImage(context().selection);
    if (image.empty() || image.front().MD5.empty())
        return;
    const std::string& key = image.front().MD5;
    context().stockDB.RepairKeywordOrder(key);
    for (const std::string& keyword : context().stockDB.GetImageKeywords(key))
        imageKeywords_->addItem(QString::fromStdString(keyword));
    for (const std::string& keyword : context().stockDB.GetImageCategoryKeywords(key)) {
        auto* item = new QListWidgetItem(QString::fromStdString(keyword), categoryKeywords_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    showKeywordCount(imageKeywords_->count());
}

// Enter in the memo adds its keywords; Shift+Enter starts a new line.
// Dropping the category check list on the image list adds the checked items.
bool KeywordsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == input_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ShiftModifier)) {
            context().commands.Action(cmd::AddImageKeyword)->trigger();
            return true;
        }
    }
    if (watched == imageKeywords_->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->source() == categoryKeywords_) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->source() == categoryKeywords_) {
                drop->acceptProposedAction();
                context().commands.Action(cmd::AddCategoryKeywordsToImage)->trigger();
                return true;
            }
        }
    }
    return Page::eventFilter(watched, event);
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
