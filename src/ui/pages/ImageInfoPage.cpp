#include "ui/pages/ImageInfoPage.h"

#include "ui/CommandTable.h"
#include "ui/WidgetHelpers.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orvella {

namespace {
QTableWidget* nameValueGrid(const char* name) {
    auto* grid = named<QTableWidget>(name, 0, 2);
    grid->setHorizontalHeaderLabels({"Name", "Value"});
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return grid;
}
} // namespace

ImageInfoPage::ImageInfoPage(WindowContext& context, QWidget* parent)
    : Page(context, "ImageInfoPage", parent) {
    auto* pages = named<QTabWidget>("PageControl3");
    pages->addTab(buildInfoPage(), "Info");
    pages->addTab(nameValueGrid("EXIFGrid"), "EXIF");
    pages->addTab(nameValueGrid("IPTCGrid"), "IPTC");
    setContent(pages);
    logWhileShowingImages("Image info tab selected");
}

QWidget* ImageInfoPage::buildInfoPage() {
    auto* page = named<QWidget>("tsInfo");
    auto* form = new QFormLayout;
    form->addRow("Image Name", named<QLineEdit>("edtCaption"));
    form->addRow("Description", named<QPlainTextEdit>("mDescription"));
    form->addRow("Copyright", named<QLineEdit>("edtCopyright"));
    form->addRow("Contact info", named<QLineEdit>("edtContact"));
    auto* toolbar = named<QToolBar>("tbInfoKeywords");
    context().commands.fill(toolbar, {cmd::InfoKeywordUp, cmd::InfoKeywordDown,
                                      cmd::InfoDeleteKeyword, cmd::InfoWordsFromDescription,
                                      cmd::InfoSortKeywords, cmd::InfoAddKeywords});
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(new QLabel("Keywords:"));
    layout->addWidget(named<QLineEdit>("edtInfoKeyword"));
    layout->addWidget(toolbar);
    layout->addWidget(named<QListWidget>("lbInfoKeywords"), 1);
    return page;
}

} // namespace orvella
