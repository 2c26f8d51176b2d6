// The options dialog, the SQL console and the debug window on their own, over
// a fresh catalogue and settings store in a temporary program folder.
#include "ui/dialogs/OptionsDialog.h"
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "shell/IniFile.h"
#include "shell/Log.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"
#include "ui/OrvellaApplication.h"
#include "ui/dialogs/DebugWindow.h"
#include "ui/dialogs/SqlConsole.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

struct DialogFixture {
    test::TempFolder root;
    fs::path program = root / "program";
    fs::path registry = root / "config" / "registry.ini";
    TLog log{root / "LogFile.log", [] { return std::string("now"); }};
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;
    SettingsStore store{program, registry};
    test::ScriptedPrompts prompts;

    DialogFixture() {
        fs::create_directories(program);
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", program / "Orvella.dat");
        connection = std::make_unique<TCatalogueConnection>(program / "Orvella.dat");
        db = std::make_unique<TStockDBObject>(*connection);
        log.SetLogEnabled(true);
        installAppLog(&log);
    }
    ~DialogFixture() { installAppLog(nullptr); }

    // Stocks 0 "Pixel" (FTP, logins set) and 1 "Web Only" (no FTP).
    void addStocks() {
        db->AddStock("Pixel", "https://pixel.example/login", true, "127.0.0.1:2121");
        db->SetStockFtpLogin(0, "ftp me", "ftp-Pw-1");
        db->SetStockWebLogin(0, "web me", "web-Pw-1");
        db->AddStock("Web Only", "web.example", false, "");
        db->SetStockFtpLogin(1, "stale", "stale-Pw");
    }
    TStock stock(int id) {
        for (const TStock& stock : db->GetStocks(false))
            if (stock.StockId == id)
                return stock;
        return {};
    }
};

template <typename T> T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromUtf8(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void leave(QWidget* field) {
    QFocusEvent event(QEvent::FocusOut);
    QApplication::sendEvent(field, &event);
}

QColor base(QLineEdit* field) {
    return field->palette().color(QPalette::Base);
}

class OptionsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void navigationShowsOnePagePerNodeAndPasswordsAreMasked();
    void settingsComeFromTheStoreAndGoThereOnOkOnly();
    void uncheckingIniMovesEveryKeyToThePerUserStore();
    void proxyPortIsCheckedOnLeavingTheFieldAndOnOk();
    void passwordPairsAreColouredOnLeaving();
    void selectingAStockFillsItsAccountFields();
    void savingAStock();
    void addingAndDeletingStocks();
    void signInOpensTheStockAddress();
    void sqlConsoleRunsItsOwnQuery();
    void debugWindowShowsTheSelectedImage();
};

void OptionsDialogTest::navigationShowsOnePagePerNodeAndPasswordsAreMasked() {
    DialogFixture fixture;
    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    QCOMPARE(dialog.windowTitle(), QString("Options"));
    auto* tree = child<QTreeWidget>(dialog, "tvNavigation");
    auto* pages = child<QStackedWidget>(dialog, "pcOptions");
    const QStringList nodes = {"Photo Stock", "Preferences", "Portable support",
                               "Security",    "FTP Proxy",   "Tab Manager"};
    QCOMPARE(tree->topLevelItemCount(), nodes.size());
    for (int i = nodes.size() - 1; i >= 0; --i) {
        QCOMPARE(tree->topLevelItem(i)->text(0), nodes[i]);
        tree->setCurrentItem(tree->topLevelItem(i));
        QCOMPARE(pages->currentIndex(), i);
    }
    for (const char* name :
         {"edtPassword", "edtPassword2", "edSPass1", "edSPass2", "edtPPass", "edtPPass2"})
        QCOMPARE(child<QLineEdit>(dialog, name)->echoMode(), QLineEdit::Password);
    for (const char* name : {"edtLogin", "edSLogin", "edtStock", "edtHost", "edtURL", "edtPPort"})
        QCOMPARE(child<QLineEdit>(dialog, name)->echoMode(), QLineEdit::Normal);
    QVERIFY(!child<QPushButton>(dialog, "btnSave")->isEnabled());
    QVERIFY(!child<QGroupBox>(dialog, "gbFTP")->isEnabled());
    auto* files = child<QCheckBox>(dialog, "cbTabFiles");
    QVERIFY(files->isChecked() && !files->isEnabled());
    QCOMPARE(child<QCheckBox>(dialog, "cbEnabled")->toolTip(),
             QString("Shows availability of the stock in the stock list"));
}

void OptionsDialogTest::settingsComeFromTheStoreAndGoThereOnOkOnly() {
    DialogFixture fixture;
    {
        TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
        struct Default {
            const char* box;
            bool checked;
        } defaults[] = {{"cbUploadRelease", true},    {"cbOverwrite", false},   {"cbClearRO", true},
                        {"cbEnableFTPLogging", true}, {"cbAskpassword", false}, {"cbUseINI", false},
                        {"cbtabmodel", true},         {"cbUseProxy", false}};
        for (const Default& expected : defaults)
            QCOMPARE(child<QCheckBox>(dialog, expected.box)->isChecked(), expected.checked);
        child<QCheckBox>(dialog, "cbOverwrite")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QVERIFY(!fs::exists(fixture.registry));

    test::writeFile(fixture.registry, "[Options]\nAsk password=1\nProxyURL=proxy.example\n"
                                      "ProxyPass=proxy-Pw\ntabstocks=0\n");
    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    QVERIFY(child<QCheckBox>(dialog, "cbAskpassword")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog, "cbtabstocks")->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "edtPURL")->text(), QString("proxy.example"));
    QCOMPARE(child<QLineEdit>(dialog, "edtPPass")->text(), QString("proxy-Pw"));
    QCOMPARE(child<QLineEdit>(dialog, "edtPPass2")->text(), QString(""));
    child<QCheckBox>(dialog, "cbHideSkin")->setChecked(true);
    child<QLineEdit>(dialog, "edtPPort")->setText("3128");
    QTest::mouseClick(child<QPushButton>(dialog, "btnOK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    IniFile saved = IniFile::load(fixture.registry);
    QCOMPARE(saved.value("Options", "HideSkin"), std::optional<std::string>("1"));
    QCOMPARE(saved.value("Options", "ProxyPort"), std::optional<std::string>("3128"));
    QCOMPARE(saved.value("Options", "tabstocks"), std::optional<std::string>("0"));
    QCOMPARE(saved.value("Options", "UploadRelease"), std::optional<std::string>("1"));
    QVERIFY(!saved.value("Options", "ProxyType"));
    auto lines = fixture.log.Lines();
    QVERIFY(std::find(lines.begin(), lines.end(), "now Showing options\r\n") != lines.end() ||
            std::find(lines.begin(), lines.end(), "now Showing options") != lines.end());
    for (const std::string& line : lines)
        QVERIFY2(line.find("proxy-Pw") == std::string::npos, line.c_str());
}

void OptionsDialogTest::uncheckingIniMovesEveryKeyToThePerUserStore() {
    DialogFixture fixture;
    test::writeFile(fixture.program / "Orvella.ini", "[Options]\nMoveFiles=0\n");
    {
        TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
        auto* useIni = child<QCheckBox>(dialog, "cbUseINI");
        QVERIFY(useIni->isChecked()); // the INI file is the store in use
        useIni->setChecked(false);
        dialog.accept();
    }
    QVERIFY(!fs::exists(fixture.program / "Orvella.ini"));
    QCOMPARE(fixture.store.readBoolean("Options", "MoveFiles", true), false);
    QCOMPARE(fixture.store.readText("Options", "tabfiles2", ""), std::string("1"));

    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    child<QCheckBox>(dialog, "cbUseINI")->setChecked(true);
    child<QCheckBox>(dialog, "cbMoveFiles")->setChecked(true);
    dialog.accept();
    QVERIFY(fixture.store.usesIniStore());
    QCOMPARE(fixture.store.readBoolean("Options", "MoveFiles", false), true);
}

void OptionsDialogTest::proxyPortIsCheckedOnLeavingTheFieldAndOnOk() {
    DialogFixture fixture;
    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    auto* port = child<QLineEdit>(dialog, "edtPPort");
    struct Case {
        QString typed, kept;
        bool red;
    } cases[] = {{"8080", "8080", false}, {"", "", true},  {"abc", "", true},
                 {"70000", "", true},     {"0", "", true}, {"65535", "65535", false}};
    for (const Case& c : cases) {
        port->setText(c.typed);
        leave(port);
        QCOMPARE(port->text(), c.kept);
        QCOMPARE(base(port), c.red ? TfrmOptions::mismatchColour() : QColor(Qt::white));
    }

    port->setText("99999"); // Enter on OK leaves no field
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(port->text(), QString(""));
    QVERIFY(!fs::exists(fixture.registry));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(fixture.store.readText("Options", "ProxyPort", "absent"), std::string(""));
}

void OptionsDialogTest::passwordPairsAreColouredOnLeaving() {
    DialogFixture fixture;
    fixture.addStocks();
    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    QColor window = dialog.palette().color(QPalette::Window);
    struct Pair {
        const char* first;
        const char* second;
    } pairs[] = {
        {"edtPassword", "edtPassword2"}, {"edSPass1", "edSPass2"}, {"edtPPass", "edtPPass2"}};
    child<QListWidget>(dialog, "ListViewStocks")->setCurrentRow(0);
    for (const Pair& pair : pairs) {
        auto* first = child<QLineEdit>(dialog, pair.first);
        auto* second = child<QLineEdit>(dialog, pair.second);
        first->setText("one");
        second->setText("two");
        leave(second);
        QCOMPARE(base(first), TfrmOptions::mismatchColour());
        QCOMPARE(base(second), TfrmOptions::mismatchColour());
        second->setText("one");
        leave(first);
        QCOMPARE(base(first), window);
        QCOMPARE(base(second), window);
    }
}

void OptionsDialogTest::selectingAStockFillsItsAccountFields() {
    DialogFixture fixture;
    fixture.addStocks();
    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    auto* list = child<QListWidget>(dialog, "ListViewStocks");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), QString("Web Only"));

    list->setCurrentRow(0);
    QCOMPARE(child<QLineEdit>(dialog, "edtLogin")->text(), QString("ftp me"));
    QCOMPARE(child<QLineEdit>(dialog, "edtPassword")->text(), QString("ftp-Pw-1"));
    QCOMPARE(child<QLineEdit>(dialog, "edtPassword2")->text(), QString("ftp-Pw-1"));
    QCOMPARE(child<QLineEdit>(dialog, "edSPass2")->text(), QString("web-Pw-1"));
    QVERIFY(child<QGroupBox>(dialog, "gbFTP")->isEnabled());
    QVERIFY(child<QCheckBox>(dialog, "cbEnabled")->isChecked());
    QVERIFY(!child<QPushButton>(dialog, "btnSave")->isEnabled());

    list->setCurrentRow(1);
    for (const char* name : {"edtLogin", "edtPassword", "edtPassword2"}) {
        QCOMPARE(child<QLineEdit>(dialog, name)->text(), QString(""));
        QVERIFY(!child<QLineEdit>(dialog, name)->isEnabledTo(&dialog));
    }
    QVERIFY(child<QGroupBox>(dialog, "gbWeb")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "btnSave")->isEnabled());
    child<QCheckBox>(dialog, "cbEnabled")->click();
    QVERIFY(child<QPushButton>(dialog, "btnSave")->isEnabled());
}

void OptionsDialogTest::savingAStock() {
    DialogFixture fixture;
    fixture.addStocks();
    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    QSignalSpy changed(&dialog, &TfrmOptions::stocksChanged);
    auto* list = child<QListWidget>(dialog, "ListViewStocks");
    auto* save = child<QPushButton>(dialog, "btnSave");

    // A stock without FTP saves an empty FTP login over what was stored.
    list->setCurrentRow(1);
    QTest::keyClicks(child<QLineEdit>(dialog, "edSLogin"), "web");
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(fixture.stock(1).FtpLogin, std::string(""));
    QCOMPARE(fixture.stock(1).FtpPassword, std::string(""));
    QCOMPARE(fixture.stock(1).WebLogin, std::string("web"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(!save->isEnabled());

    // Two different FTP passwords: refused, nothing written.
    list->setCurrentRow(0);
    child<QLineEdit>(dialog, "edtPassword")->clear();
    QTest::keyClicks(child<QLineEdit>(dialog, "edtPassword"), "ftp-Pw-2");
    QTest::keyClicks(child<QLineEdit>(dialog, "edtLogin"), " changed");
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(fixture.prompts.messages, std::vector<std::string>{"Passwords mismatch"});
    QCOMPARE(fixture.stock(0).FtpLogin, std::string("ftp me"));
    QCOMPARE(fixture.stock(0).FtpPassword, std::string("ftp-Pw-1"));
    QCOMPARE(changed.count(), 1);

    // Two different web passwords: the first one is saved without a word.
    QTest::keyClicks(child<QLineEdit>(dialog, "edtPassword2"), "X");
    child<QLineEdit>(dialog, "edtPassword2")->setText("ftp-Pw-2");
    child<QLineEdit>(dialog, "edSPass1")->setText("web-Pw-2");
    child<QLineEdit>(dialog, "edSPass2")->setText("web-Pw-other");
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(fixture.prompts.messages.size(), size_t(1));
    QCOMPARE(fixture.stock(0).FtpLogin, std::string("ftp me changed"));
    QCOMPARE(fixture.stock(0).FtpPassword, std::string("ftp-Pw-2"));
    QCOMPARE(fixture.stock(0).WebPassword, std::string("web-Pw-2"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(list->currentRow(), -1); // the list was filled again

    for (const std::string& line : fixture.log.Lines())
        QVERIFY2(line.find("-Pw") == std::string::npos, line.c_str());
    QVERIFY(fixture.db->LatestStatement().find("-Pw") == std::string::npos);
}

void OptionsDialogTest::addingAndDeletingStocks() {
    DialogFixture fixture;
    fixture.addStocks();
    fixture.db->AddImage({std::string(32, 'A'), "a.jpg", 1, "/photos", "/photos/a.jpg"});
    fixture.db->SetState(0, std::string(32, 'A'), 2);
    fixture.db->SetState(1, std::string(32, 'A'), 3);
    {
        TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
        QSignalSpy changed(&dialog, &TfrmOptions::stocksChanged);
        QTest::keyClicks(child<QLineEdit>(dialog, "edtStock"), "   ");
        QTest::mouseClick(child<QPushButton>(dialog, "btnStock"), Qt::LeftButton);
        QCOMPARE(fixture.prompts.messages, std::vector<std::string>{"Input stock name!"});
        QCOMPARE(fixture.db->GetStocks(false).size(), size_t(2));

        child<QLineEdit>(dialog, "edtStock")->setText("New Agency");
        child<QLineEdit>(dialog, "edtHost")->setText("ftp.new.example");
        child<QLineEdit>(dialog, "edtURL")->setText("https://new.example");
        child<QCheckBox>(dialog, "cbFTPEnabled")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(dialog, "btnStock"), Qt::LeftButton);
        QCOMPARE(child<QListWidget>(dialog, "ListViewStocks")->count(), 3);
        QCOMPARE(changed.count(), 1);

        auto* list = child<QListWidget>(dialog, "ListViewStocks");
        list->setCurrentRow(0);
        fixture.prompts.answers = {false};
        QTest::mouseClick(child<QPushButton>(dialog, "btnDelete"), Qt::LeftButton);
        QCOMPARE(fixture.prompts.questions.back(),
                 std::string("Do you want to delete Pixel stock?"));
        QCOMPARE(fixture.db->GetStocks(false).size(), size_t(3));
        QTest::mouseClick(child<QPushButton>(dialog, "btnDelete"), Qt::LeftButton);
        QCOMPARE(list->count(), 2);
        QCOMPARE(changed.count(), 2);
        QTest::mouseClick(child<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
    }
    // Stock changes stay after Cancel.
    TStockList stocks = fixture.db->GetStocks(false);
    QCOMPARE(stocks.size(), size_t(2));
    QCOMPARE(stocks[1].Name, std::string("New Agency"));
    QCOMPARE(stocks[1].StockId, 2);
    QVERIFY(stocks[1].FtpEnabled);
    std::vector<std::string> states;
    fixture.db->GetStateSummary(states, std::string(32, 'A'));
    QCOMPARE(states.size(), size_t(1));
    QVERIFY(QString::fromStdString(states[0]).startsWith("Web Only: "));
}

void OptionsDialogTest::signInOpensTheStockAddress() {
    DialogFixture fixture;
    fixture.addStocks();
    TfrmOptions dialog(*fixture.db, fixture.store, fixture.prompts);
    std::vector<std::string> opened;
    dialog.setAddressOpener([&](const std::string& address) { opened.push_back(address); });
    auto* signIn = child<QLabel>(dialog, "lblSignIn");
    emit signIn->linkActivated("signin"); // nothing selected: nothing opens
    child<QListWidget>(dialog, "ListViewStocks")->setCurrentRow(0);
    emit signIn->linkActivated("signin");
    child<QListWidget>(dialog, "ListViewStocks")->setCurrentRow(1);
    emit signIn->linkActivated("signin");
    QCOMPARE(opened,
             (std::vector<std::string>{"https://pixel.example/login", "http://web.example"}));
}

void OptionsDialogTest::sqlConsoleRunsItsOwnQuery() {
    DialogFixture fixture;
    fixture.addStocks();
    std::string latest = fixture.db->LatestStatement();
    TfrmSQL console(*fixture.connection);
    QCOMPARE(console.windowTitle(), QString("SQL Console"));
    QCOMPARE(console.size(), QSize(522, 429));
    auto* editor = child<QPlainTextEdit>(console, "memSQL");
    editor->setPlainText("update STOCK set STOCKNAME = 'Renamed' where STOCK_ID = 1");
    QTest::mouseClick(child<QPushButton>(console, "btnExecute"), Qt::LeftButton);
    editor->setPlainText("select STOCK_ID, STOCKNAME from STOCK order by STOCK_ID");
    QTest::mouseClick(child<QPushButton>(console, "btnBrowse"), Qt::LeftButton);
    QAbstractItemModel* rows = child<QTableView>(console, "grdData")->model();
    QCOMPARE(rows->rowCount(), 2);
    QCOMPARE(rows->columnCount(), 2);
    QCOMPARE(rows->headerData(1, Qt::Horizontal).toString(), QString("STOCKNAME"));
    QCOMPARE(rows->index(1, 1).data().toString(), QString("Renamed"));
    QCOMPARE(fixture.db->LatestStatement(), latest);

    // A failing statement goes to the application's handler, which logs it.
    editor->setPlainText("delete from NO_SUCH_TABLE");
    QTest::mouseClick(child<QPushButton>(console, "btnExecute"), Qt::LeftButton);
    auto lines = fixture.log.Lines();
    QVERIFY(!lines.empty());
    QVERIFY2(lines.back().find("no such table") != std::string::npos ||
                 lines[lines.size() - 2].find("no such table") != std::string::npos,
             lines.back().c_str());
    QCOMPARE(rows->rowCount(), 2);
}

void OptionsDialogTest::debugWindowShowsTheSelectedImage() {
    DialogFixture fixture;
    fixture.addStocks();
    std::string key(32, 'B');
    fixture.db->AddImage({key, "b.jpg", 77, "/photos", "/photos/b.jpg"});
    fixture.db->SetState(0, key, 2);
    std::string latest = fixture.db->LatestStatement();
    TfrmDebug window(*fixture.db);
    QCOMPARE(window.windowTitle(), QString("Debug"));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(window.windowType(), Qt::Tool);
    QCOMPARE(window.size(), QSize(283, 438));

    window.ShowImage(key, "b.jpg", "/photos", "/photos/b.jpg", 77);
    QCOMPARE(child<QLineEdit>(window, "edMD5")->text(), QString::fromStdString(key));
    QCOMPARE(child<QLineEdit>(window, "edFileName")->text(), QString("b.jpg"));
    QCOMPARE(child<QLineEdit>(window, "edFilePath")->text(), QString("/photos"));
    QCOMPARE(child<QLineEdit>(window, "edFullPath")->text(), QString("/photos/b.jpg"));
    QCOMPARE(child<QLineEdit>(window, "edSize")->text(), QString("77"));
    QCOMPARE(child<QLineEdit>(window, "edLastQuery")->text(), QString::fromStdString(latest));
    QCOMPARE(child<QLineEdit>(window, "edDBPath")->text(), QString("/photos/b.jpg"));
    auto* states = child<QListWidget>(window, "lbStates");
    QCOMPARE(states->count(), 1);
    QVERIFY(states->item(0)->text().startsWith("Pixel: "));

    window.show();
    window.close();
    QVERIFY(window.isHidden()); // closing only hides

    QTest::mouseClick(child<QPushButton>(window, "btnDeleteImage"), Qt::LeftButton);
    QCOMPARE(fixture.db->GetImagePath(key), std::string(""));
}

} // namespace orvella

int main(int argc, char** argv) {
    orvella::OrvellaApplication application(argc, argv);
    orvella::OptionsDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OptionsDialogTest.moc"
