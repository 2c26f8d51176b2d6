// The full-scan wizard driven through its buttons, and the clipboard's file
// lists as a file manager writes and reads them.
#include "../files/PictureFixtures.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "support/TempFolder.h"
#include "ui/FileClipboard.h"
#include "ui/dialogs/TfrmFullScan.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class FileOpsUiTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void okScansTheFolderOnTheSecondPage();
    void cancelWithDontShowTurnsTheOfferOff();
    void cancelDuringTheScanStopsAfterTheFileInHand();
    void copyPutsBothFormatsOnTheClipboard();
    void aFileManagersListIsPasted();

private:
    void pictures(int count);
    std::unique_ptr<TfrmFullScan> wizard();

    std::unique_ptr<test::TempFolder> root;
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;
    std::unique_ptr<SettingsStore> store;
    fs::path photos;
};

void FileOpsUiTest::init() {
    root = std::make_unique<test::TempFolder>();
    photos = *root / "photos";
    fs::create_directories(*root / "MD5");
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", *root / "Orvella.dat");
    connection = std::make_unique<TCatalogueConnection>(*root / "Orvella.dat");
    db = std::make_unique<TStockDBObject>(*connection);
    store = std::make_unique<SettingsStore>(root->path(), *root / "registry.ini");
    store->writeBoolean(kOptionsSection, "FullScan", true);
}

void FileOpsUiTest::cleanup() {
    db.reset();
    connection.reset();
    root.reset();
}

void FileOpsUiTest::pictures(int count) {
    fs::create_directories(photos / "sub");
    for (int i = 0; i < count; ++i)
        test::WriteBytes(photos / (i % 2 ? "sub" : "") / ("p" + std::to_string(i) + ".jpg"),
                         test::EncodeJpeg({40 + i, 30, qRgb(i % 255, 20, 90)}));
}

std::unique_ptr<TfrmFullScan> FileOpsUiTest::wizard() {
    return std::make_unique<TfrmFullScan>(
        *db, *store, FullScanSettings{*root / "MD5", *root / "ScanHistory.dat", true, false},
        QString::fromStdString(photos.string()));
}

void FileOpsUiTest::okScansTheFolderOnTheSecondPage() {
    pictures(4);
    auto dialog = wizard();
    QCOMPARE(dialog->windowTitle(), QString("Full Scan wizard"));
    QCOMPARE(dialog->size(), QSize(443, 272));
    QVERIFY(TfrmFullScan::IsOpen());
    auto* pages = dialog->findChild<QStackedWidget*>("pcWizard");
    QCOMPARE(pages->currentIndex(), 0);
    QVERIFY(dialog->findChild<QCheckBox*>("cbSubfolders")->isChecked());
    QCOMPARE(dialog->findChild<QLabel*>("lblFolder")->text(),
             QString::fromStdString(photos.string()));
    int secondPageSeen = 0;
    connect(dialog.get(), &TfrmFullScan::fileImported, this, [&] {
        secondPageSeen +=
            pages->currentIndex() == 1 && !dialog->findChild<QPushButton*>("btnOK")->isEnabled();
    });
    dialog->show();
    QTest::mouseClick(dialog->findChild<QPushButton*>("btnOK"), Qt::LeftButton);

    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(dialog->ImportedFiles(), 4);
    QCOMPARE(secondPageSeen, 4);
    QVERIFY(
        dialog->findChild<QLabel*>("lblProcessingFile")->text().startsWith("Processing file: p"));
    QVERIFY(!db->GetImagePath(FileMD5(photos / "sub" / "p1.jpg")).empty());
    QVERIFY(store->readBoolean(kOptionsSection, "FullScan", false));
    dialog.reset();
    QVERIFY(!TfrmFullScan::IsOpen());
}

void FileOpsUiTest::cancelWithDontShowTurnsTheOfferOff() {
    pictures(2);
    auto dialog = wizard();
    dialog->show();
    dialog->findChild<QCheckBox*>("cbDontShow")->setChecked(true);
    QCOMPARE(dialog->findChild<QCheckBox*>("cbDontShow")->text(),
             QString("Don't show this dialog again "));
    QTest::mouseClick(dialog->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);

    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(!store->readBoolean(kOptionsSection, "FullScan", true));
    QCOMPARE(dialog->ImportedFiles(), 0);
    QVERIFY(!fs::exists(*root / "ScanHistory.dat"));
}

void FileOpsUiTest::cancelDuringTheScanStopsAfterTheFileInHand() {
    pictures(40);
    auto dialog = wizard();
    dialog->show();
    auto* cancel = dialog->findChild<QPushButton*>("btnCancel");
    connect(dialog.get(), &TfrmFullScan::fileImported, this, [&](int count) {
        if (count == 3)
            QTimer::singleShot(0, cancel, [cancel] { QTest::mouseClick(cancel, Qt::LeftButton); });
    });
    QTest::mouseClick(dialog->findChild<QPushButton*>("btnOK"), Qt::LeftButton);

    QVERIFY(dialog->ImportedFiles() >= 3);
    QVERIFY(dialog->ImportedFiles() <= 4);
    QVERIFY(!dialog->isVisible());
    QVERIFY(fs::exists(*root / "ScanHistory.dat"));
}

void FileOpsUiTest::copyPutsBothFormatsOnTheClipboard() {
    std::vector<std::string> files{"/photos/a b.jpg", "/photos/c.jpg"};
    QGuiApplication::clipboard()->setMimeData(CopiedFilesMimeData(files));
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    QVERIFY(held);
    QCOMPARE(held->data("x-special/gnome-copied-files"),
             QByteArray("copy\nfile:///photos/a%20b.jpg\nfile:///photos/c.jpg"));
    QCOMPARE(held->urls(), (QList<QUrl>{QUrl::fromLocalFile("/photos/a b.jpg"),
                                        QUrl::fromLocalFile("/photos/c.jpg")}));
    QVERIFY(ClipboardFiles(held) == files);
}

void FileOpsUiTest::aFileManagersListIsPasted() {
    struct Case {
        const char* type;
        QByteArray content;
    };
    for (const Case& c :
         {Case{"x-special/gnome-copied-files",
               "cut\nfile:///shots/x%27s.jpg\nfile:///shots/y.jpg\n"},
          Case{"text/uri-list", "file:///shots/x%27s.jpg\r\nfile:///shots/y.jpg\r\n"}}) {
        auto* data = new QMimeData;
        data->setData(c.type, c.content);
        QGuiApplication::clipboard()->setMimeData(data);
        std::vector<std::string> pasted = ClipboardFiles(QGuiApplication::clipboard()->mimeData());
        QVERIFY2((pasted == std::vector<std::string>{"/shots/x's.jpg", "/shots/y.jpg"}), c.type);
    }
    auto* remote = new QMimeData;
    remote->setUrls({QUrl("https://example.invalid/a.jpg")});
    QVERIFY(ClipboardFiles(remote).empty());
    delete remote;
}

} // namespace orvella

QTEST_MAIN(orvella::FileOpsUiTest)
#include "FileOpsUiTest.moc"
