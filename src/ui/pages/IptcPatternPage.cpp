#include "ui/pages/IptcPatternPage.h"

#include "shell/Folders.h"
#include "shell/Options.h"
#include "shell/Prompts.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvella {

namespace {

const char* const kPatternFilter = "XML (*.xml)";

QToolButton* speedButton(const char* name, const char* caption) {
    auto* button = named<QToolButton>(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The captions are long: the buttons give way when the window is narrow.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setMinimumWidth(12);
    return button;
}

std::string withXmlExtension(std::string file) {
    if (std::filesystem::path(file).extension().empty())
        file += ".xml";
    return file;
}

} // namespace

IptcPatternPage::IptcPatternPage(WindowContext& context, QWidget* parent)
    : Page(context, "IptcPatternPage", parent) {
    auto* page = named<QWidget>("tsIPTCPattern");
    tags_ = named<QComboBox>("cmbIPTC");
    for (const std::string& item : TIptcPattern::DatasetItems())
        tags_->addItem(QString::fromStdString(item));
    tags_->setCurrentIndex(0);
    tags_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    tags_->setMinimumContentsLength(1);
    value_ = named<QPlainTextEdit>("mIPTC");
    grid_ = named<QTableWidget>("vleIPTC", 0, 2);
    grid_->setHorizontalHeaderLabels({"IPTC Tag", "Value"});
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* add = named<QPushButton>("atnAddTag", "Add >");
    auto* remove = named<QPushButton>("btnDeleteTag", "< Delete");
    auto* save = speedButton("sbSave", "Save pattern");
    auto* load = speedButton("sbLoad", "Load pattern");
    auto* getData = speedButton("sSpeedButton1", "Get data from selected image");
    auto* apply = speedButton("sSpeedButton2", "Apply pattern to selected images");

    auto* left = new QVBoxLayout;
    left->addWidget(named<QLabel>("lblSelectTag", "Select IPTC tag"));
    left->addWidget(tags_);
    left->addWidget(named<QLabel>("lblTagValue", "Input tag value"));
    left->addWidget(value_, 1);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add);
    middle->addWidget(remove);
    middle->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (QToolButton* button : {save, load, getData, apply})
        buttons->addWidget(button, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addWidget(grid_, 1);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(middle);
    layout->addLayout(right, 2);
    setContent(page);

    // The page sits under the image list: it gives way to a narrow window
    // rather than widen it.
    for (QWidget* widget : std::initializer_list<QWidget*>{
             add, remove, value_, page->findChild<QLabel*>("lblSelectTag"),
             page->findChild<QLabel*>("lblTagValue")}) {
        widget->setSizePolicy(QSizePolicy::Ignored, widget->sizePolicy().verticalPolicy());
        widget->setMinimumWidth(24);
    }
    grid_->setMinimumWidth(60);
    layout->setContentsMargins(4, 4, 4, 4);

    connect(add, &QPushButton::clicked, this, &IptcPatternPage::addTag);
    connect(remove, &QPushButton::clicked, this, &IptcPatternPage::deleteTag);
    connect(save, &QToolButton::clicked, this, &IptcPatternPage::savePattern);
    connect(load, &QToolButton::clicked, this, &IptcPatternPage::loadPattern);
    connect(getData, &QToolButton::clicked, this, &IptcPatternPage::getDataFromSelectedImage);
    connect(apply, &QToolButton::clicked, this, &IptcPatternPage::applyPatternToSelectedImages);
    connect(grid_, &QTableWidget::cellChanged, this, &IptcPatternPage::rowEdited);
}

void IptcPatternPage::addTag() {
    auto result = pattern_.AddTag(tags_->currentText().toStdString(),
                                  value_->toPlainText().toStdString(), context().prompts);
    if (result == TIptcPattern::AddResult::Appended)
        value_->clear();
    showRows();
}

void IptcPatternPage::deleteTag() {
    pattern_.DeleteRow(grid_->currentRow());
    showRows();
}

void IptcPatternPage::savePattern() {
    std::filesystem::path folder = EnsurePatternsFolder(context().folders.ProgramFolder());
    std::optional<std::string> file = context().prompts.chooseFileToSave(
        "Save pattern", kPatternFilter, (folder / "pattern.xml").string());
    if (!file)
        return;
    try {
        pattern_.SaveToFile(withXmlExtension(*file));
    } catch (const std::exception& error) {
        // Told rather than passed over: the user would take the pattern
        // for saved.
        context().prompts.showMessage(std::string("The pattern was not saved: ") + error.what());
    }
}

void IptcPatternPage::loadPattern() {
    EnsurePatternsFolder(context().folders.ProgramFolder());
    std::optional<std::string> file =
        context().prompts.chooseFileToOpen("Load pattern", kPatternFilter);
    if (!file || !std::filesystem::exists(*file))
        return;
    try {
        pattern_.LoadFromFile(*file);
    } catch (const EPatternError& error) {
        showRows(); // emptied before the parse
        context().prompts.showMessage(error.what());
        return;
    }
    showRows();
}

void IptcPatternPage::getDataFromSelectedImage() {
    std::vector<const ImageListItem*> selected = context().selection.selected();
    if (selected.empty() || selected.front()->data.FullName.empty())
        return;
    pattern_.FillFromFile(selected.front()->data.FullName);
    showRows();
}

void IptcPatternPage::applyPatternToSelectedImages() {
    std::vector<const ImageListItem*> selected = context().selection.selected();
    if (selected.empty() || selected.front()->data.FullName.empty())
        return;
    std::vector<TPatternTarget> targets;
    for (const ImageListItem* item : selected)
        targets.push_back({item->data.FullName, item->data.MD5});
    pattern_.ApplyToSelection(targets, &context().stockDB, context().progress,
                              context().options.GetOption("ClearRO").toBool());
}

void IptcPatternPage::showRows() {
    showing_ = true;
    grid_->setRowCount(static_cast<int>(pattern_.Rows().size()));
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const TPatternRow& data = pattern_.Rows()[static_cast<size_t>(row)];
        auto* name = new QTableWidgetItem(QString::fromStdString(data.name));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        grid_->setItem(row, 0, name);
        grid_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(data.value)));
    }
    showing_ = false;
}

// A value typed into the grid becomes the row's value.
void IptcPatternPage::rowEdited(int row, int column) {
    if (showing_ || column != 1)
        return;
    std::vector<TPatternRow> rows = pattern_.Rows();
    rows.at(static_cast<size_t>(row)).value = grid_->item(row, 1)->text().toStdString();
    pattern_.Clear();
    for (TPatternRow& each : rows)
        pattern_.AppendRow(std::move(each.name), std::move(each.value));
}

void IptcPatternPage::resizeEvent(QResizeEvent* event) {
    Page::resizeEvent(event);
    grid_->horizontalHeader()->setDefaultSectionSize(std::max(40, grid_->width() / 2));
}

} // namespace orvella
