// The upload controls of the Uploads page against pyftpdlib on 127.0.0.1:
// Start and Stop clicked in the window, the log and its Save, a close
// during a run.
#include "ui/views/UploadPanel.h"
#include "../upload/RealFtpServer.h"
#include "catalogue/Connection.h"
#include "catalogue/Query.h"
#include "catalogue/StockDB.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class UploadPanelTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startSendsTheFilesOfTwoStocks();
    void stopEndsTheRunBeforeTheNextFile();
    void closingTheWindowDuringARunStopsItFirst();
    void logIsClearedAndSavedThroughATemporaryFile();

private:
    void execute(const std::string& sql) {
        TQuery query(*connection);
        query.SetSQL(sql);
        query.ExecSQL();
    }
    // A file of `size` bytes in the photos folder, ready to upload at the stock.
    std::string addReadyFile(int number, int stockId, size_t size) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.jpg", number);
        std::string content(size, static_cast<char>('a' + number % 26));
        content += name;
        test::writeFile(root->path() / "photos" / name, content);
        char key[33];
        std::snprintf(key, sizeof key, "%032X", number);
        execute("insert into IMAGES (MD5, FileName, FilePath, FileSize) values ('" +
                std::string(key) + "', '" + name + "', '" + (root->path() / "photos").string() +
                "', " + std::to_string(size) + ")");
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + std::string(key) +
                "', " + std::to_string(stockId) + ", '1')");
        return name;
    }
    void addStock(int id, const std::string& name, const std::string& login) {
        execute("insert into STOCK (STOCK_ID, STOCKNAME, FTPURL, FTPENABLED, ENABLED, LOGIN, "
                "PASSWRD) values (" +
                std::to_string(id) + ", '" + name + "', '" + server->address() + "', 1, 1, '" +
                login + "', 'pw')");
    }
    std::map<std::string, std::string> statesByFile(const std::string& extraColumn = "STATE_ID") {
        TQuery query(*connection);
        query.SetSQL("select I.FileName, S." + extraColumn +
                     " from IMAGES I, IMAGE_STOCK S where I.MD5 = S.MD5");
        query.Open();
        std::map<std::string, std::string> states;
        for (; !query.Eof(); query.Next())
            states[query.FieldByName("FileName").AsString()] =
                query.FieldByName(extraColumn).AsString();
        return states;
    }
    UploadPanelContext context() {
        return {*connection, *catalogue, *store, *options, prompts, nullptr, [this] {
                    return ReadyUploadEntries(*catalogue);
                }};
    }

    std::unique_ptr<test::TempFolder> root;
    std::unique_ptr<TLog> log;
    std::unique_ptr<test::RealFtpServer> server;
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> catalogue;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<TOptionsCache> options;
    test::ScriptedPrompts prompts;
};

void UploadPanelTest::init() {
    root = std::make_unique<test::TempFolder>();
    log = std::make_unique<TLog>(root->path() / "LogFile.log", [] { return std::string("T"); });
    installAppLog(log.get());
    fs::create_directories(root->path() / "photos");
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root->path() / "Orvella.dat");
    connection = std::make_unique<TCatalogueConnection>(root->path() / "Orvella.dat");
    catalogue = std::make_unique<TStockDBObject>(*connection);
    catalogue->SetPrompts(&prompts);
    test::writeFile(root->path() / "Orvella.ini", "[Options]\nUploadRelease=0\n");
    store = std::make_unique<SettingsStore>(root->path(), root->path() / "registry.ini");
    options = std::make_unique<TOptionsCache>(*store);
    options->LoadOptions();
    server = std::make_unique<test::RealFtpServer>(
        root->path(),
        std::vector<test::RealFtpServer::User>{{"one", "pw", root->path() / "home1"},
                                               {"two", "pw", root->path() / "home2"}});
}

void UploadPanelTest::cleanup() {
    server.reset();
    catalogue.reset();
    connection.reset();
    installAppLog(nullptr);
    log.reset();
    root.reset();
}

void UploadPanelTest::startSendsTheFilesOfTwoStocks() {
    addStock(1, "One", "one");
    addStock(2, "Two", "two");
    std::string a = addReadyFile(1, 1, 300000), b = addReadyFile(2, 2, 5000),
                c = addReadyFile(3, 2, 0);
    UploadPanel panel(context());
    panel.show();
    auto* button = panel.findChild<QPushButton*>("btnUpload");
    QCOMPARE(button->text(), QString("Start &Upload"));

    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(button->text(), QString("Start Uploading"));
    QCOMPARE(button->property("tag").toInt(), 0);
    for (const auto& [name, home] :
         {std::pair{a, "home1"}, std::pair{b, "home2"}, std::pair{c, "home2"}})
        QCOMPARE(test::readFile(root->path() / home / name),
                 test::readFile(root->path() / "photos" / name));
    std::map<std::string, std::string> states = statesByFile();
    QCOMPARE(states, (std::map<std::string, std::string>{{a, "2"}, {b, "2"}, {c, "2"}}));
    for (const auto& [name, date] : statesByFile("UPLOAD_DATE"))
        QVERIFY2(date.size() >= 10, name.c_str());
    QStringList lines = panel.logLines();
    QVERIFY(lines.contains(QString::fromStdString("ok. " + a + " uploaded")));
    QVERIFY(lines.contains(QString::fromStdString("ok. " + c + " uploaded")));
    QCOMPARE(lines.last(), QString("Uploading finished"));
    QCOMPARE(panel.findChild<QProgressBar*>("FTPProgress")->value(), 2);
}

void UploadPanelTest::stopEndsTheRunBeforeTheNextFile() {
    addStock(1, "One", "one");
    for (int i = 1; i <= 50; ++i)
        addReadyFile(i, 1, 20000);
    UploadPanel panel(context());
    panel.show();
    auto* button = panel.findChild<QPushButton*>("btnUpload");
    auto* log = panel.findChild<QListWidget*>("lbLog");
    bool clicked = false;
    connect(log->model(), &QAbstractItemModel::rowsInserted, &panel, [&] {
        if (!clicked && panel.logLines().filter("ok. ").size() == 3) {
            clicked = true; // the click waits in the queue like a user's
            QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        }
    });

    QTest::mouseClick(button, Qt::LeftButton);

    QVERIFY(clicked);
    QVERIFY(!panel.Uploading());
    QCOMPARE(button->property("tag").toInt(), 0);
    int sent = static_cast<int>(panel.logLines().filter("ok. ").size());
    QVERIFY2(sent >= 3 && sent <= 4, std::to_string(sent).c_str());
    int pending = 0, ready = 0;
    for (const auto& [name, state] : statesByFile()) {
        bool onServer = fs::exists(root->path() / "home1" / name);
        QCOMPARE(state, std::string(onServer ? "2" : "1"));
        (onServer ? pending : ready) += 1;
    }
    QCOMPARE(pending, sent);
    QCOMPARE(ready, 50 - sent);
}

void UploadPanelTest::closingTheWindowDuringARunStopsItFirst() {
    addStock(1, "One", "one");
    for (int i = 1; i <= 20; ++i)
        addReadyFile(i, 1, 20000);
    QWidget window;
    auto* panel = new UploadPanel(context(), &window);
    (new QVBoxLayout(&window))->addWidget(panel);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* log = panel->findChild<QListWidget*>("lbLog");
    bool closed = false;
    connect(log->model(), &QAbstractItemModel::rowsInserted, panel, [&] {
        if (!closed && panel->logLines().filter("ok. ").size() == 2) {
            closed = true;
            QTimer::singleShot(0, &window, &QWidget::close);
        }
    });

    panel->clickUpload();

    QVERIFY(closed);
    QTRY_VERIFY(!window.isVisible());
    int sent = static_cast<int>(panel->logLines().filter("ok. ").size());
    for (const auto& [name, state] : statesByFile())
        QCOMPARE(state, std::string(fs::exists(root->path() / "home1" / name) ? "2" : "1"));
    QVERIFY(sent < 20);
}

void UploadPanelTest::logIsClearedAndSavedThroughATemporaryFile() {
    addStock(1, "One", "one");
    UploadPanel panel(context());
    panel.PostLine("first line");
    panel.PostLine("second line");
    test::writeFile(root->path() / "upload.log", "old content");
    prompts.texts = {(root->path() / "upload").string(), std::nullopt};
    panel.findChild<QPushButton*>("btnSaveLog")->click();
    QCOMPARE(test::readFile(root->path() / "upload.log"), std::string("first line\nsecond line\n"));
    panel.findChild<QPushButton*>("btnSaveLog")->click(); // cancelled: nothing written
    QCOMPARE(test::readFile(root->path() / "upload.log"), std::string("first line\nsecond line\n"));
    for (const auto& entry : fs::directory_iterator(root->path()))
        QVERIFY2(entry.path().filename().string().front() != '~', entry.path().c_str());

    prompts.texts = {"/nonexistent-folder/x.log"};
    panel.saveLog();
    QCOMPARE(prompts.messages.size(), size_t(1));

    panel.findChild<QPushButton*>("btnClearLog")->click();
    QVERIFY(panel.logLines().isEmpty());

    QTest::mouseClick(panel.findChild<QPushButton*>("btnUpload"), Qt::LeftButton); // nothing ready
    QCOMPARE(panel.logLines(), QStringList({"There are no files to upload"}));
    QCOMPARE(panel.findChild<QPushButton*>("btnUpload")->text(), QString("Start Uploading"));
}

} // namespace orvella

QTEST_MAIN(orvella::UploadPanelTest)
#include "UploadPanelTest.moc"
