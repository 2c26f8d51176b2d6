// Folders chosen in the tree are listed in the main image list, with the
// start-up rules for the folder remembered in the layout.
#include "support/PageFixture.h"
#include "ui/ImageListView.h"
#include "ui/pages/ImageListPage.h"

#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class FolderLoadingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() { fixture.reset(); }

    void selectingAFolderListsItsPictures();
    void selectingAnotherFolderStopsTheFirst();
    void restoringTheSavedFolderWithFullScanOn();
};

void FolderLoadingTest::selectingAFolderListsItsPictures() {
    test::writePictures(fixture->root / "shoot", 3, 300);
    fs::create_directories(fixture->root / "nothing");
    TfrmMain& window = fixture->makeWindow();
    fixture->startup.AppStarted = true;
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(fixture->pathText("shoot"));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (3)"));
    QCOMPARE(easy->Items()->pictureCount(), 3);
    QVERIFY(!easy->Items()->item(0, 0).data.MD5.empty());
    window.SelectFolder(fixture->pathText("nothing"));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (0)"));
    window.close();
    QCOMPARE(fixture->store.readText("MainWindow", "Directory", ""),
             (fixture->root / "nothing").string());
}

void FolderLoadingTest::selectingAnotherFolderStopsTheFirst() {
    test::writePictures(fixture->root / "big", 40, 1600);
    test::writePictures(fixture->root / "small", 2, 200);
    TfrmMain& window = fixture->makeWindow();
    fixture->startup.AppStarted = true;
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    auto* list = window.findChild<ImageListPage*>("ImageListPage");
    window.SelectFolder(fixture->pathText("big"));
    QVERIFY(window.MainFolderLoading());
    window.SelectFolder(fixture->pathText("small"));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (2)"));
    // Once every loader has ended, anything the first run still had on its
    // way has reached the window and been dropped.
    QTRY_VERIFY(list->isIdle());
    QCoreApplication::processEvents();
    QCOMPARE(easy->Items()->itemCount(0), 2);
    for (int i = 0; i < 2; ++i)
        QVERIFY(easy->Items()->item(0, i).data.FilePath == (fixture->root / "small").string());
}

void FolderLoadingTest::restoringTheSavedFolderWithFullScanOn() {
    test::writePictures(fixture->root / "saved", 1, 100);
    test::writePictures(fixture->root / "other", 2, 100);
    std::string saved = (fixture->root / "saved").string();
    fixture->store.writeText("MainWindow", "Directory", "/no/such/folder/any/more");
    fixture->store.writeBoolean("Options", "FullScan", true);
    // Both folders were scanned before, so the full scan is not offered.
    test::writeFile(fixture->root / "program" / "ScanHistory.dat",
                    saved + "\r\n" + (fixture->root / "other").string() + "\r\n");
    TfrmMain& window = fixture->makeWindow();
    fixture->store.writeText("MainWindow", "Directory", saved);
    fixture->startup = {.AppStarted = true, .RestoreFolderPending = true};
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(fixture->pathText("other"));
    QVERIFY(!window.MainFolderLoading()); // still on the way to the saved folder: nothing loads
    QCOMPARE(easy->Items()->groupCount(), 0);
    window.SelectFolder(QString::fromStdString(saved));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (1)"));
    QVERIFY(!fixture->startup.RestoreFolderPending);
    window.SelectFolder(fixture->pathText("other"));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (2)"));
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::FolderLoadingTest)

#include "FolderLoadingTest.moc"
