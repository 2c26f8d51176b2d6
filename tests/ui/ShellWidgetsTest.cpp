// The window's small parts that stand alone: the event loop's error handler,
// the progress window, the About box, the bug report link, single instance.
#include "shell/SingleInstance.h"
#include "support/PageFixture.h"
#include "ui/AboutBox.h"
#include "ui/BugReport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <thread>

namespace orvella {

class ShellWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void errorInAnEventHandlerIsLoggedWithTheLatestStatement();
    void errorBeforeTheDataModuleNamesTheReceiver();
    void progressWindowOpensStepsAndCloses();
    void aboutBoxCaptionAndControls();
    void bugReportLinkIsExact();
    void laterCopyAsksTheRunningOneToShowItsWindow_data();
    void laterCopyAsksTheRunningOneToShowItsWindow();
};

void ShellWidgetsTest::errorInAnEventHandlerIsLoggedWithTheLatestStatement() {
    test::PageFixture fixture;
    TfrmMain& window = fixture.makeWindow();
    QTimer::singleShot(
        0, &window, [&window] { window.StockDB().ExecuteStatement("delete from NO_SUCH_TABLE"); });
    QTRY_COMPARE(fixture.log.Lines().size(), size_t(2));
    auto lines = fixture.log.Lines();
    QVERIFY(QString::fromStdString(lines[0]).startsWith(
        "now Exception EDatabaseError with message no such table"));
    QCOMPARE(lines[1], std::string("now Latest SQL query delete from NO_SUCH_TABLE\r\n"));
}

void ShellWidgetsTest::errorBeforeTheDataModuleNamesTheReceiver() {
    test::TempFolder root;
    TLog log(root / "LogFile.log", [] { return std::string("now"); });
    installAppLog(&log);
    QObject receiver;
    QTimer::singleShot(0, &receiver, [] { throw std::runtime_error("too early"); });
    QTRY_VERIFY(!log.Lines().empty());
    installAppLog(nullptr);
    QCOMPARE(log.Lines(),
             std::vector<std::string>{"now too early (runtime_error). Sender is QObject"});
}

void ShellWidgetsTest::progressWindowOpensStepsAndCloses() {
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

void ShellWidgetsTest::aboutBoxCaptionAndControls() {
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

void ShellWidgetsTest::bugReportLinkIsExact() {
    QCOMPARE(
        bugReportLink(),
        std::string(
            "mailto:support@orvella.example?&subject=Bug%20report&body=Hello,%20I%20have%20a%20"
            "Orvella%20program%20version%201.5.%20I%20would%20like%20to%20report%20the%20following"
            "%20issue:\n%0d%0dNote:%20[To%20get%20more%20info,%20you%20can%20attach%20Orvella%20log"
            "%20file%20from%20the%20application%20folder.%20The%20file%20doesn't%20contain%20any%20"
            "private%20info%20such%20as%20passwords%20etc]"));
    QCOMPARE(mailtoLink("a@b", "c@d", "e@f", "S", "x\r\ny"),
             std::string("mailto:a@b?cc=c@d&bcc=e@f&subject=S&body=x%0dy"));
}

void ShellWidgetsTest::laterCopyAsksTheRunningOneToShowItsWindow_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("no folder") << QString();
    QTest::newRow("a folder to open") << QString("/photos/Été 2026/line\tbreak");
}

void ShellWidgetsTest::laterCopyAsksTheRunningOneToShowItsWindow() {
    QFETCH(QString, folder);
    test::TempFolder runtime;
    SingleInstance running(runtime.path());
    QVERIFY(running.acquire());
    running.listen();
    QSignalSpy activations(&running, &SingleInstance::activationRequested);
    bool delivered = false;
    std::thread laterCopy(
        [&] { delivered = SingleInstance(runtime.path()).askRunningCopyToActivate(folder); });
    QVERIFY(activations.wait(5000));
    laterCopy.join();
    QVERIFY(delivered);
    QCOMPARE(activations.first().at(0).toString(), folder);

    test::PageFixture fixture;
    TfrmMain& window = fixture.makeWindow();
    window.showMinimized();
    window.RestoreOrRaise();
    QVERIFY(!window.isMinimized());
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::ShellWidgetsTest)

#include "ShellWidgetsTest.moc"
