#include "catalogue/Connection.h"
#include "shell/Log.h"
#include "shell/SingleInstance.h"
#include "support/TempFolder.h"
#include "ui/AboutBox.h"
#include "ui/OrvellaApplication.h"
#include "ui/ProgressWindow.h"
#include "ui/TdmMain.h"
#include "ui/TfrmMain.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <thread>

namespace orvella {

namespace fs = std::filesystem;

// A program folder with a fresh catalogue, its own settings and log.
struct WindowFixture {
    test::TempFolder root;
    TLog log{root / "LogFile.log", [] { return std::string("now"); }};
    TFolders folders{root / "program", root / "share" / "Orvella"};
    SettingsStore store{root / "program", root / "config" / "registry.ini"};
    std::unique_ptr<TdmMain> dataModule;

    WindowFixture() {
        fs::create_directories(root / "program");
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "program" / "Orvella.dat");
        installAppLog(&log);
        dataModule = std::make_unique<TdmMain>(OrvellaApplication::instance(),
                                               root / "program" / "Orvella.dat");
    }
    ~WindowFixture() {
        dataModule.reset();
        installAppLog(nullptr);
    }
};

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void errorInAnEventHandlerIsLoggedWithTheLatestStatement();
    void errorBeforeTheDataModuleNamesTheReceiver();
    void progressWindowOpensStepsAndCloses();
    void aboutBoxCaptionAndControls();
    void mainWindowCaptionDebugMenuAndLayout();
    void maximisedWindowReopensMaximised();
    void laterCopyAsksTheRunningOneToShowItsWindow();
};

void UiTest::errorInAnEventHandlerIsLoggedWithTheLatestStatement() {
    WindowFixture fixture;
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    QTimer::singleShot(0, &window, [&window] { window.StockDB().ExecuteStatement("delete from NO_SUCH_TABLE"); });
    QTest::qWait(50);
    auto lines = fixture.log.Lines();
    QCOMPARE(lines.size(), size_t(2));
    QVERIFY(QString::fromStdString(lines[0]).startsWith("now Exception EDatabaseError with message no such table"));
    QCOMPARE(lines[1], std::string("now Latest SQL query delete from NO_SUCH_TABLE\r\n"));
}

void UiTest::errorBeforeTheDataModuleNamesTheReceiver() {
    test::TempFolder root;
    TLog log(root / "LogFile.log", [] { return std::string("now"); });
    installAppLog(&log);
    QObject receiver;
    QTimer::singleShot(0, &receiver, [] { throw std::runtime_error("too early"); });
    QTest::qWait(50);
    installAppLog(nullptr);
    QCOMPARE(log.Lines(), std::vector<std::string>{"now too early (runtime_error). Sender is QObject"});
}

void UiTest::progressWindowOpensStepsAndCloses() {
    test::TempFolder root;
    TLog log(root / "LogFile.log", [] { return std::string("now"); });
    log.SetLogEnabled(true);
    installAppLog(&log);
    ProgressWindow progress;
    {
        ProgressScope scope(progress, 9);
        QWidget* window = progress.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Processing"));
        QCOMPARE(window->size(), QSize(248, 33));
        QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        scope.step(4);
        QCOMPARE(window->findChild<QProgressBar*>("pbProgress")->value(), 4);
    }
    QVERIFY(!progress.window());
    QVERIFY(!QApplication::overrideCursor());
    installAppLog(nullptr);
    QCOMPARE(log.Lines(), (std::vector<std::string>{"now Progress form created",
                                                    "now Progress form updated. Position: 4",
                                                    "now Progress form destroyed"}));
}

void UiTest::aboutBoxCaptionAndControls() {
    TfrmAbout about;
    QCOMPARE(about.windowTitle(), QString("About Orvella"));
    QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QString("version 1.5"));
    QLabel* product = about.findChild<QLabel*>("lblProduct");
    QVERIFY(product->font().bold() && product->font().italic());
    QPushButton* close = about.findChild<QPushButton*>("btnClose");
    QCOMPARE(close->text(), QString("Close"));
    QVERIFY(close->isDefault());
    about.show();
    QTest::mouseClick(close, Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Rejected));
}

void UiTest::mainWindowCaptionDebugMenuAndLayout() {
    WindowFixture fixture;
    fixture.store.write("MainWindow", {{"Left", "70"}, {"Top", "80"}, {"Width", "900"}, {"Height", "600"}});
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    QCOMPARE(window.windowTitle(), QString("Orvella 1.5"));
    QMenu* debug = window.findChild<QMenu*>("mnuDebug");
    QVERIFY(debug && !debug->menuAction()->isVisible());
    window.EnableDebugMode();
    QVERIFY(window.DebugMode() && debug->menuAction()->isVisible());
    QCOMPARE(window.size(), QSize(900, 600));
    QVERIFY(window.Options().GetOption("UploadRelease").toBool());
    window.ShowAsLaidOut();
    window.resize(800, 500);
    window.close();
    QCOMPARE(fixture.store.readInteger("MainWindow", "Width", 0), 800L);
    QCOMPARE(fixture.store.readInteger("MainWindow", "State", 0), 1L);
}

void UiTest::maximisedWindowReopensMaximised() {
    WindowFixture fixture;
    fixture.store.write("MainWindow", {{"State", "2"}, {"Width", "640"}});
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    window.ShowAsLaidOut();
    QVERIFY(window.isMaximized());
    window.close();
    QCOMPARE(fixture.store.readInteger("MainWindow", "State", 0), 2L);
}

void UiTest::laterCopyAsksTheRunningOneToShowItsWindow() {
    test::TempFolder runtime;
    SingleInstance running(runtime.path());
    QVERIFY(running.acquire());
    running.listen();
    QSignalSpy activations(&running, &SingleInstance::activationRequested);
    bool delivered = false;
    std::thread laterCopy([&] { delivered = SingleInstance(runtime.path()).askRunningCopyToActivate(); });
    QVERIFY(activations.wait(5000));
    laterCopy.join();
    QVERIFY(delivered);

    WindowFixture fixture;
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    window.showMinimized();
    window.RestoreOrRaise();
    QVERIFY(!window.isMinimized());
}

} // namespace orvella

int main(int argc, char** argv) {
    orvella::OrvellaApplication application(argc, argv);
    orvella::UiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "UiTest.moc"
