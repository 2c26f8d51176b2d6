// The Options command and debug mode in the whole window: what OK and Cancel
// change in the window, and the two windows that exist only with -debug.
#include "support/PageFixture.h"
#include "ui/CommandTable.h"
#include "ui/ImageListView.h"
#include "ui/dialogs/DebugWindow.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/SqlConsole.h"
#include "upload/FtpExchangeLog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace orvella {

namespace {

// Runs the Options command; the dialog, once shown, is handed to `drive`,
// which closes it.
void withOptionsDialog(TfrmMain& window, const std::function<void(TfrmOptions&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = window.findChild<TfrmOptions*>();
        QVERIFY(dialog && dialog->isVisible());
        driven = true;
        drive(*dialog);
    });
    window.Commands().Action(cmd::Options)->trigger();
    QVERIFY(driven);
    QVERIFY(!window.findChild<TfrmOptions*>()); // destroyed once closed
}

void click(QWidget& parent, const char* button) {
    parent.findChild<QPushButton*>(button)->click();
}

struct PageOfOption {
    const char* option;
    const char* pane;
    const char* page;
};

const PageOfOption kPages[] = {
    {"tabcatalog", "PageControl1", "CatalogPage"},
    {"tabstocks", "PageControl1", "StocksPage"},
    {"tabuploads", "PageControl1", "UploadsPage"},
    {"tabstockinfo", "PageControl2", "StockInfoPage"},
    {"tabimageinfo", "PageControl2", "ImageInfoPage"},
    {"tabkeywords", "PageControl2", "KeywordsPage"},
    {"tabfiles2", "PageControl2", "SecondFilesPage"},
    {"tabmodel", "PageControl2", "ModelReleasePage"},
};

bool pageShown(TfrmMain& window, const PageOfOption& page) {
    auto* pane = window.findChild<QTabWidget*>(page.pane);
    return pane->isTabVisible(pane->indexOf(window.findChild<QWidget*>(page.page)));
}

} // namespace

class OptionsWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() { fixture.reset(); }

    void eachPageOptionHidesItsPageAfterOk();
    void okAppliesTheOtherSettingsToTheWindow();
    void cancelAfterAddingAStockKeepsItAndRebuildsTheStockViews();
    void debugWindowsExistOnlyInDebugMode();
};

void OptionsWindowTest::eachPageOptionHidesItsPageAfterOk() {
    TfrmMain& window = fixture->makeWindow();
    for (const PageOfOption& hidden : kPages) {
        withOptionsDialog(window, [&](TfrmOptions& dialog) {
            for (const PageOfOption& page : kPages)
                dialog.findChild<QCheckBox*>(QString("cb") + page.option)
                    ->setChecked(&page != &hidden);
            click(dialog, "btnOK");
        });
        for (const PageOfOption& page : kPages)
            QVERIFY2(pageShown(window, page) == (&page != &hidden), page.page);
        auto* left = window.findChild<QTabWidget*>("PageControl1");
        QVERIFY(left->isTabVisible(0)); // the Files page always
    }
}

void OptionsWindowTest::okAppliesTheOtherSettingsToTheWindow() {
    fixture->log.SetLogEnabled(true);
    fixture->startup.RestoreFolderPending = true;
    TfrmMain& window = fixture->makeWindow();
    QVERIFY(window.FtpLog().Enabled());
    withOptionsDialog(window, [](TfrmOptions& dialog) {
        dialog.findChild<QCheckBox*>("cbEnableFTPLogging")->setChecked(false);
        dialog.findChild<QCheckBox*>("cbKeywordsAlphaSort")->setChecked(true);
        click(dialog, "btnOK");
    });
    QVERIFY(!window.FtpLog().Enabled());
    QVERIFY(window.Options().GetOption("KeywordsAlphaSort").toBool());
    QVERIFY(!fixture->startup.RestoreFolderPending);
    QCOMPARE(fixture->store.readBoolean("Options", "EnableFTPLogging", true), false);
    std::vector<std::string> lines = fixture->log.Lines();
    std::vector<std::string> expected = {"Options window created", "Showing options",
                                         "Options saved", "Check skin state",
                                         "Options window destroyed"};
    auto next = lines.begin();
    for (const std::string& text : expected) {
        next = std::find_if(next, lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
        QVERIFY2(next != lines.end(), text.c_str());
    }
}

void OptionsWindowTest::cancelAfterAddingAStockKeepsItAndRebuildsTheStockViews() {
    TfrmMain& window = fixture->makeWindow();
    auto* stockView = window.findChild<QTreeWidget*>("StockView");
    QCOMPARE(stockView->topLevelItemCount(), 0);
    withOptionsDialog(window, [](TfrmOptions& dialog) {
        dialog.findChild<QLineEdit*>("edtStock")->setText("New Agency");
        click(dialog, "btnStock");
        dialog.findChild<QCheckBox*>("cbOverwrite")->setChecked(true);
        click(dialog, "btnCancel");
    });
    QCOMPARE(window.Stocks().size(), size_t(1));
    QCOMPARE(stockView->topLevelItemCount(), 1);
    QCOMPARE(stockView->topLevelItem(0)->text(0), QString("New Agency"));
    QVERIFY(!window.Options().GetOption("Overwrite").toBool()); // settings need OK
    QVERIFY(!std::filesystem::exists(fixture->root / "config" / "registry.ini"));
}

void OptionsWindowTest::debugWindowsExistOnlyInDebugMode() {
    TfrmMain& window = fixture->makeWindow();
    QVERIFY(!window.findChild<TfrmSQL*>());
    QVERIFY(!window.findChild<TfrmDebug*>());
    QVERIFY(!window.findChild<QMenu*>("mnuDebug")->menuAction()->isVisible());

    window.EnableDebugMode();
    auto* console = window.findChild<TfrmSQL*>();
    auto* debug = window.findChild<TfrmDebug*>();
    QVERIFY(console && console->isHidden());
    QVERIFY(debug && debug->isHidden());
    window.Commands().Action(cmd::SQLConsole)->trigger();
    QVERIFY(console->isVisible());
    console->findChild<QPlainTextEdit*>("memSQL")->setPlainText(
        "insert into STOCK (STOCK_ID, STOCKNAME) values (7, 'Console')");
    click(*console, "btnExecute");
    console->findChild<QPlainTextEdit*>("memSQL")->setPlainText("select STOCKNAME from STOCK");
    click(*console, "btnBrowse");
    QCOMPARE(console->findChild<QTableView*>("grdData")->model()->index(0, 0).data().toString(),
             QString("Console"));
    console->close();
    QVERIFY(console->isHidden());
    QCOMPARE(window.findChild<TfrmSQL*>(), console); // hidden, never destroyed

    // Selecting one listed picture fills the debug window.
    test::writePictures(fixture->root / "pictures", 2, 64);
    window.Commands().Action(cmd::DebugWindow)->trigger();
    QVERIFY(debug->isVisible());
    fixture->startup.AppStarted = true;
    window.show();
    window.SelectFolder(fixture->pathText("pictures"));
    auto* easy = window.findChild<ImageListView*>("Easy");
    QTRY_VERIFY(easy->Items()->groupCount() > 0 &&
                easy->Items()->groupCaption(0).startsWith("Files (2)"));
    easy->setCurrentIndex(easy->Items()->index(1));
    const ImageListItem* item = &easy->Items()->item(0, 0);
    QVERIFY(!item->data.MD5.empty());
    QCOMPARE(debug->findChild<QLineEdit*>("edMD5")->text(), QString::fromStdString(item->data.MD5));
    QCOMPARE(debug->findChild<QLineEdit*>("edFullPath")->text(),
             QString::fromStdString(item->data.FullName));
    QCOMPARE(debug->findChild<QLineEdit*>("edDBPath")->text(),
             QString::fromStdString(item->data.FullName));
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::OptionsWindowTest)

#include "OptionsWindowTest.moc"
