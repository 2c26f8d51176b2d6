// The file commands, the model release page and the full scan in the real
// main window, driven through the command table and the page's controls.
#include "files/FileIdentity.h"
#include "files/FileOperations.h"
#include "support/PageFixture.h"
#include "ui/CommandTable.h"
#include "ui/ImageListView.h"
#include "ui/WidgetHelpers.h"
#include "ui/dialogs/TfrmFullScan.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class FileCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;
    TfrmMain* window = nullptr;
    ImageListView* easy = nullptr;

    // The window on a folder of pictures, all listed and selected.
    void openOn(const std::string& folder, int pictures) {
        easy = fixture->showWindowOn(folder, pictures);
        QVERIFY(easy);
        window = fixture->window.get();
        easy->selectAll();
    }
    void trigger(CommandId id) { window->Commands().Action(id)->trigger(); }
    std::string rowOf(const fs::path& file) {
        return fixture->stockDB->GetImagePath(FileMD5(file));
    }

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() {
        window = nullptr;
        fixture.reset();
    }

    void moveTakesTheSelectionToTheChosenFolderWithTheirRows();
    void imagesDroppedOnATreeFolderMoveThereOnce();
    void copyAndPasteGoThroughTheClipboard();
    void cloneTwiceMakesOneClone();
    void releasePageAddsTicksAndDeletes();
    void scanCurrentDirectoryRunsTheWizard();
};

void FileCommandsTest::moveTakesTheSelectionToTheChosenFolderWithTheirRows() {
    test::writePictures(fixture->root / "target", 1, 300); // p0.jpg is taken there
    openOn("shoot", 3);
    std::string keyP1 = FileMD5(fixture->root / "shoot" / "p1.jpg");
    fixture->prompts.texts = {(fixture->root / "target").string()};

    trigger(cmd::Move);

    QCOMPARE(fixture->prompts.messages.size(), size_t(1));
    QCOMPARE(fixture->prompts.messages[0], std::string(kFilesDidNotMove));
    QVERIFY(fs::exists(fixture->root / "shoot" / "p0.jpg"));
    QVERIFY(!fs::exists(fixture->root / "shoot" / "p1.jpg"));
    QCOMPARE(fixture->stockDB->GetImagePath(keyP1), (fixture->root / "target" / "p1.jpg").string());
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (1)"));
}

// Three pictures dropped on a folder that holds one of their names: two
// move with their rows, one stays, and the user is told once.
void FileCommandsTest::imagesDroppedOnATreeFolderMoveThereOnce() {
    test::writePictures(fixture->root / "target", 1, 300);
    fixture->store.writeBoolean("Options", "MoveFiles", true);
    openOn("shoot", 3);
    std::string keyP2 = FileMD5(fixture->root / "shoot" / "p2.jpg");
    auto* tree = window->findChild<QTreeView*>("Tree");
    QModelIndex target = folderTreeModel(tree)->indexOf(fixture->pathText("target"));
    tree->scrollTo(target);
    QTRY_VERIFY(tree->visualRect(target).isValid());
    QPoint over = tree->viewport()->mapTo(window, tree->visualRect(target).center());

    QVERIFY(window->DropImages(over));

    QCOMPARE(fixture->prompts.messages, std::vector<std::string>{kFilesDidNotMove});
    QVERIFY(fs::exists(fixture->root / "shoot" / "p0.jpg"));
    QVERIFY(fs::exists(fixture->root / "target" / "p2.jpg"));
    QCOMPARE(fixture->stockDB->GetImagePath(keyP2), (fixture->root / "target" / "p2.jpg").string());
    QVERIFY(!window->DropImages(QPoint(window->width() - 5, window->height() - 5)));
}

void FileCommandsTest::copyAndPasteGoThroughTheClipboard() {
    openOn("shoot", 2);
    trigger(cmd::Copy);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QVERIFY(copied->hasFormat("x-special/gnome-copied-files"));
    QCOMPARE(copied->urls().size(), 2);

    test::writePictures(fixture->root / "elsewhere", 2, 90);
    fs::rename(fixture->root / "elsewhere" / "p0.jpg", fixture->root / "elsewhere" / "new.jpg");
    auto* list = new QMimeData;
    list->setData("x-special/gnome-copied-files",
                  QByteArray("copy\n") +
                      QUrl::fromLocalFile(fixture->pathText("elsewhere/new.jpg")).toEncoded() +
                      "\n" +
                      QUrl::fromLocalFile(fixture->pathText("elsewhere/p1.jpg")).toEncoded());
    QApplication::clipboard()->setMimeData(list);
    std::string keptP1 = test::readFile(fixture->root / "shoot" / "p1.jpg");
    trigger(cmd::Paste);
    QVERIFY(fs::exists(fixture->root / "shoot" / "new.jpg"));
    QCOMPARE(test::readFile(fixture->root / "shoot" / "p1.jpg"), keptP1);
}

void FileCommandsTest::cloneTwiceMakesOneClone() {
    openOn("shoot", 1);
    fs::path clone = fixture->root / "shoot" / "p0_clone.jpg";
    trigger(cmd::Clone);
    QVERIFY(fs::exists(clone));
    QTRY_COMPARE(easy->Items()->groupCaption(0), QString("Files (2)"));
    fs::resize_file(clone, 10); // a second clone would show
    for (int row = 0; row < easy->Items()->itemCount(0); ++row)
        if (easy->Items()->item(0, row).data.FileName == "p0.jpg")
            easy->setCurrentIndex(easy->Items()->index(row + 1));
    trigger(cmd::Clone);
    QCOMPARE(fs::file_size(clone), uintmax_t(10));
    QCOMPARE(fixture->prompts.questions.size(), size_t(2));
}

void FileCommandsTest::releasePageAddsTicksAndDeletes() {
    openOn("models", 2);
    auto* add = window->findChild<QPushButton*>("btnAddRelease");
    auto* name = window->findChild<QLineEdit*>("edtModelName");
    auto* file = window->findChild<QLineEdit*>("edtReleaseFile");
    auto* releases = window->findChild<QListWidget*>("ReleaseList");
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(fixture->prompts.messages.back(),
             std::string("You should load model release picture"));
    for (const char* model : {"Zoe", "Anna"}) {
        file->setText(fixture->pathText("models/p0.jpg"));
        name->setText(model);
        QTest::mouseClick(add, Qt::LeftButton);
    }
    QCOMPARE(releases->count(), 2);
    QCOMPARE(releases->item(0)->text(), QString("Anna"));
    QVERIFY(file->text().isEmpty() && name->text().isEmpty());

    easy->setCurrentIndex(easy->Items()->index(1));
    std::string key = easy->Items()->item(0, 0).data.MD5;
    releases->item(0)->setCheckState(Qt::Checked);
    releases->item(0)->setCheckState(Qt::Unchecked);
    releases->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(fixture->stockDB->GetImageReleases(key).size(), size_t(1));
    easy->setCurrentIndex(easy->Items()->index(2));
    QCOMPARE(releases->item(0)->checkState(), Qt::Unchecked);
    easy->setCurrentIndex(easy->Items()->index(1));
    QCOMPARE(releases->item(0)->checkState(), Qt::Checked);
    if (qEnvironmentVariableIsSet("ORVELLA_SCREENSHOTS")) { // the picture for docs/pages
        auto* right = window->findChild<QTabWidget*>("PageControl2");
        QWidget* page = window->findChild<QWidget*>("ModelReleasePage");
        right->setTabVisible(right->indexOf(page), true);
        right->setCurrentWidget(page);
        QTest::qWait(100);
        window->grab().save(qEnvironmentVariable("ORVELLA_SCREENSHOTS") +
                            "/right-model-release-two.png");
    }

    releases->setCurrentRow(0);
    trigger(cmd::DeleteRelease);
    QCOMPARE(releases->count(), 1);
    QVERIFY(fixture->stockDB->GetImageReleases(key).empty());
}

void FileCommandsTest::scanCurrentDirectoryRunsTheWizard() {
    openOn("shoot", 3);
    bool pressed = false;
    QTimer::singleShot(0, this, [&] {
        auto* wizard = qobject_cast<TfrmFullScan*>(QApplication::activeModalWidget());
        if (wizard) {
            pressed = true;
            QTest::mouseClick(wizard->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        }
    });
    trigger(cmd::FullScan);
    QVERIFY(pressed);
    QCOMPARE(test::readFile(fixture->root / "program" / "ScanHistory.dat"),
             (fixture->root / "shoot").string() + "\r\n");
    QVERIFY(!TfrmFullScan::IsOpen());
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::FileCommandsTest)

#include "FileCommandsTest.moc"
