#include "ui/pages/ImageInfoPage.h"

#include "files/FileKinds.h"
#include "metadata/ExifGrid.h"
#include "shell/IgnoredError.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"
#include "ui/pages/BackgroundCommand.h"
#include "ui/pages/ImageCommands.h"
#include "viewer/RawBridge.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <filesystem>

namespace orvella {

namespace {

constexpr int kInfoPage = 0, kExifPage = 1, kIptcPage = 2;

QTableWidget* nameValueGrid(const char* name) {
    auto* grid = named<QTableWidget>(name, 0, 2);
    grid->setHorizontalHeaderLabels({"Name", "Value"});
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return grid;
}

void fillGrid(QTableWidget* grid, const std::vector<std::pair<std::string, std::string>>& rows) {
    grid->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < grid->rowCount(); ++row) {
        const auto& [name, value] = rows[static_cast<size_t>(row)];
        grid->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(name)));
        grid->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(value)));
    }
}

QComboBox* historyBox(const char* name) {
    auto* box = named<QComboBox>(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

// The memo shows lines; the file keeps CR LF between them.
QString memoToFile(const QString& text) {
    QString lines = text;
    lines.replace("\r\n", "\n");
    return lines.replace("\n", "\r\n");
}

bool exists(const TImageData& image) {
    std::error_code error;
    return std::filesystem::exists(image.FullName, error);
}

} // namespace

ImageInfoPage::ImageInfoPage(WindowContext& context, QWidget* parent)
    : Page(context, "ImageInfoPage", parent), editor_(context.stockDB, &context.options),
      tools_(editor_, context.prompts, context.progress) {
    pages_ = named<QTabWidget>("PageControl3");
    exifGrid_ = nameValueGrid("EXIFGrid");
    iptcGrid_ = nameValueGrid("grid");
    pages_->addTab(buildInfoPage(), "Info");
    pages_->addTab(exifGrid_, "EXIF");
    pages_->addTab(iptcGrid_, "IPTC");
    setContent(pages_);
    logWhileShowingImages("Image info tab selected");
    bindCommands();
    connect(pages_, &QTabWidget::currentChanged, this, [this] { loadSubPage(); });
    connect(&context.selection, &ImageSelection::focusedImageChanged, this, [this] {
        clearFields();
        if (isCurrent())
            loadSubPage();
    });
}

QWidget* ImageInfoPage::buildInfoPage() {
    auto* page = named<QWidget>("tsInfo");
    caption_ = historyBox("edtCaption");
    description_ = named<QPlainTextEdit>("mDescription");
    copyright_ = historyBox("edtCopyright");
    contact_ = historyBox("edtContact");
    // An editable combo box takes the focus itself and hands it on to its line.
    for (QWidget* field : {static_cast<QWidget*>(caption_), static_cast<QWidget*>(description_),
                           static_cast<QWidget*>(copyright_), static_cast<QWidget*>(contact_)})
        field->installEventFilter(this);
    auto* form = new QFormLayout;
    form->addRow("Image Name", caption_);
    form->addRow("Description", description_);
    form->addRow("Copyright", copyright_);
    form->addRow("Contact info", contact_);
    auto* toolbar = named<QToolBar>("tbInfoKeywords");
    context().commands.fill(toolbar, {cmd::InfoKeywordUp, cmd::InfoKeywordDown,
                                      cmd::InfoDeleteKeyword, cmd::InfoWordsFromDescription,
                                      cmd::InfoSortKeywords, cmd::InfoAddKeywords});
    keywordInput_ = named<QLineEdit>("eImageKeywords");
    connect(keywordInput_, &QLineEdit::returnPressed,
            context().commands.Action(cmd::InfoAddKeywords), &QAction::trigger);
    keywords_ = named<QListWidget>("lbKeywordsInfo");
    keywords_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(named<QLabel>("lblKeywordsInfo", "Keywords:"));
    layout->addWidget(keywordInput_);
    layout->addWidget(toolbar);
    layout->addWidget(keywords_, 1);
    return page;
}

void ImageInfoPage::bindCommands() {
    CommandTable& commands = context().commands;
    WindowContext& window = context();
    commands.Bind(cmd::InfoAddKeywords, this, [this, &window] {
        std::string text = keywordInput_->text().toStdString();
        std::vector<TImageData> images = selectedImages(window.selection);
        bool added = false;
        writingCommand([&](KeywordTools& tools, ImageInfoEditor&) {
            added = tools.AddKeywordText(images, text);
        });
        if (added)
            keywordInput_->clear();
    });
    commands.Bind(cmd::InfoDeleteKeyword, this, [this, &window] {
        QListWidgetItem* item = keywords_->currentItem();
        if (item == nullptr || !item->isSelected())
            return;
        std::vector<std::string> keywords = {item->text().toStdString()};
        std::vector<TImageData> images = selectedImages(window.selection);
        writingCommand([&](KeywordTools& tools, ImageInfoEditor&) {
            tools.RemoveImageKeywords(images, keywords);
        });
    });
    commands.Bind(cmd::InfoKeywordUp, this, [this] { moveKeyword(true); });
    commands.Bind(cmd::InfoKeywordDown, this, [this] { moveKeyword(false); });
    commands.Bind(cmd::InfoWordsFromDescription, this, [this, &window] {
        keywordCommand([&] {
            tools_.AddWordsFromDescription(firstSelectedImage(window.selection),
                                           memoToFile(description_->toPlainText()).toStdString());
        });
    });
    commands.Bind(cmd::InfoSortKeywords, this, [this, &window] {
        std::vector<TImageData> images = selectedImages(window.selection);
        writingCommand([&](KeywordTools& tools, ImageInfoEditor&) { tools.SortKeywords(images); });
    });
    commands.Bind(cmd::Syncronize, this, [this] { synchronize(); });
    commands.Bind(cmd::ClearEXIF, this, [this] { clearExif(); });
}

// A command over the whole selection, whose file writes run off the window
// thread; then the result is shown.
void ImageInfoPage::writingCommand(
    const std::function<void(KeywordTools&, ImageInfoEditor&)>& command) {
    if (context().selection.selected().empty())
        return;
    runFileCommand(this, [&] { runOffWindowThread(context(), command); });
    reloadKeywords();
    emit keywordsChanged();
}

// Runs a keyword command of the page, then shows the result.
void ImageInfoPage::keywordCommand(const std::function<void()>& command) {
    if (context().selection.selected().empty())
        return;
    runFileCommand(this, command);
    reloadKeywords();
    emit keywordsChanged();
}

void ImageInfoPage::moveKeyword(bool up) {
    int row = keywords_->currentRow();
    if (row < 0 || (up && row == 0) || (!up && row == keywords_->count() - 1))
        return;
    std::string keyword = keywords_->item(row)->text().toStdString();
    keywordCommand(
        [&] { tools_.MoveKeyword(firstSelectedImage(context().selection), keyword, up); });
    keywords_->setCurrentRow(up ? row - 1 : row + 1);
    keywords_->setFocus();
}

void ImageInfoPage::synchronize() {
    std::vector<TImageData> images = selectedImages(context().selection);
    if (images.size() < 2)
        return;
    writingCommand([&](KeywordTools& tools, ImageInfoEditor& editor) {
        editor.Synchronize(images, tools.progress());
    });
}

void ImageInfoPage::clearExif() {
    if (!context().prompts.confirm("Do you want to clear ALL EXIF data from selected files?"))
        return;
    std::vector<TImageData> images = selectedImages(context().selection);
    if (images.empty())
        return;
    editor_.ClearExif(images, context().progress);
    context().commands.Action(cmd::Refresh)->trigger();
}

bool ImageInfoPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == caption_)
            writeField("ObjectName", caption_->currentText(), caption_);
        else if (watched == description_)
            writeField("ImageCaption", memoToFile(description_->toPlainText()), nullptr);
        else if (watched == copyright_)
            writeField("Copyright", copyright_->currentText(), copyright_);
        else if (watched == contact_)
            writeField("Contact", contact_->currentText(), contact_);
    }
    return Page::eventFilter(watched, event);
}

// Every exit writes, changed or not, into every selected file.
void ImageInfoPage::writeField(const char* dataset, const QString& text, QComboBox* history) {
    std::vector<TImageData> images = selectedImages(context().selection);
    if (images.empty())
        return;
    std::string value = text.toStdString();
    runFileCommand(this, [&] {
        runOffWindowThread(context(), [&](KeywordTools&, ImageInfoEditor& editor) {
            editor.WriteIPTCField(images, dataset, value);
        });
    });
    QString trimmed = text.trimmed();
    if (history == nullptr || trimmed.isEmpty())
        return;
    for (int i = 0; i < history->count(); ++i)
        if (history->itemText(i).trimmed() == trimmed)
            return;
    QString current = history->currentText();
    history->addItem(trimmed);
    history->setCurrentText(current);
}

void ImageInfoPage::clearFields() {
    caption_->setCurrentText("");
    description_->clear();
    copyright_->setCurrentText("");
    contact_->setCurrentText("");
    keywords_->clear();
    exifGrid_->setRowCount(0);
    iptcGrid_->setRowCount(0);
}

// What the sub-page shown needs, for the focused image when it is the only
// one selected or the first of the selection. Errors are logged, never shown.
void ImageInfoPage::loadSubPage() {
    clearFields();
    std::vector<TImageData> image = firstSelectedImage(context().selection);
    if (image.empty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ignoringErrors("showing the image info", [&] {
        if (!exists(image.front()))
            return;
        switch (pages_->currentIndex()) {
        case kInfoPage:
            logGuarded("Main image info tab selected");
            fillInfo(image.front());
            break;
        case kExifPage:
            logGuarded("EXIF data tab selected");
            fillExif(image.front());
            break;
        case kIptcPage:
            logGuarded("IPTC data tab selected");
            fillIptc(image.front());
            break;
        }
    });
    QApplication::restoreOverrideCursor();
}

void ImageInfoPage::fillInfo(const TImageData& image) {
    ImageInfoFields fields = ImageInfoEditor::ReadInfoFields(image.FullName);
    caption_->setCurrentText(QString::fromStdString(fields.name));
    description_->setPlainText(QString::fromStdString(fields.description).replace("\r\n", "\n"));
    copyright_->setCurrentText(QString::fromStdString(fields.copyright));
    contact_->setCurrentText(QString::fromStdString(fields.contact));
    reloadKeywords();
}

void ImageInfoPage::reloadKeywords() {
    keywords_->clear();
    std::vector<TImageData> image = firstSelectedImage(context().selection);
    if (image.empty() || image.front().MD5.empty())
        return;
    context().stockDB.RepairKeywordOrder(image.front().MD5);
    for (const std::string& keyword : context().stockDB.GetImageKeywords(image.front().MD5))
        keywords_->addItem(QString::fromStdString(keyword));
}

void ImageInfoPage::fillExif(const TImageData& image) {
    fillGrid(exifGrid_, ExifGridRows(image.FullName));
    if (!IsRawFile(image.FullName))
        return;
    if (std::optional<TRawSummary> summary = ReadRawInfo(image.FullName))
        fillGrid(exifGrid_, RawSummaryRows(*summary));
}

void ImageInfoPage::fillIptc(const TImageData& image) {
    fillGrid(iptcGrid_, ImageInfoEditor::IptcGridRows(image.FullName));
}

} // namespace orvella
