// The "Image Info", "Keywords" and "Catalog" pages driven in the real window
// on the offscreen platform; files read back with exiftool, the catalogue
// with SQL.
#include "catalogue/Query.h"
#include "support/PageFixture.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageListView.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace orvella {

namespace fs = std::filesystem;

namespace {

std::string run(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    ::pclose(pipe);
    return output;
}

std::string quoted(const fs::path& file) {
    return "'" + file.string() + "'";
}

// One exiftool value (list items joined by "|").
QString peer(const fs::path& file, const char* tag) {
    return QString::fromStdString(run("exiftool -s3 -sep '|' -charset iptc=UTF8 -" +
                                      std::string(tag) + " " + quoted(file)))
        .trimmed();
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The picture data: everything from the first start-of-scan marker on.
std::string scanOf(const fs::path& file) {
    std::string bytes = bytesOf(file);
    return bytes.substr(bytes.find("\xFF\xDA"));
}

} // namespace

class KeywordingPagesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;
    TfrmMain* window = nullptr;
    ImageListView* easy = nullptr;

    fs::path picture(int i) const {
        return fixture->root / "shoot" / ("p" + std::to_string(i) + ".jpg");
    }

    // The window on a folder of count pictures, the right pane on page.
    void openWindow(int count, int rightPage) {
        test::writePictures(fixture->root / "shoot", count, 120);
        window = &fixture->makeWindow();
        fixture->startup.AppStarted = true;
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        easy = window->findChild<ImageListView*>("Easy");
        window->SelectFolder(fixture->pathText("shoot"));
        QTRY_COMPARE(easy->Items()->itemCount(0), count);
        window->findChild<QTabWidget*>("PageControl2")->setCurrentIndex(rightPage);
    }
    // Selects the pictures p<i> given, the first one focused.
    void select(std::initializer_list<int> pictures) {
        QItemSelection chosen;
        QModelIndex first;
        for (int picture : pictures) {
            std::string name = "p" + std::to_string(picture) + ".jpg";
            for (int row = 0; row < easy->model()->rowCount(); ++row) {
                QModelIndex index = easy->model()->index(row, 0);
                const ImageListItem* item = easy->Items()->itemAt(index);
                if (item && item->data.FileName == name) {
                    chosen.select(index, index);
                    if (!first.isValid())
                        first = index;
                }
            }
        }
        easy->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        easy->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
    }
    std::string keyOf(int i) {
        for (int row = 0; row < easy->Items()->itemCount(0); ++row)
            if (easy->Items()->item(0, row).data.FileName == "p" + std::to_string(i) + ".jpg")
                return easy->Items()->item(0, row).data.MD5;
        return {};
    }
    QStringList catalogueKeywords(int i) {
        QStringList keywords;
        for (const std::string& keyword : fixture->stockDB->GetImageKeywords(keyOf(i)))
            keywords << QString::fromStdString(keyword);
        return keywords;
    }
    void trigger(CommandId id) { fixture->commands().Action(id)->trigger(); }
    template <class W> W* child(const char* name) { return window->findChild<W*>(name); }
    // Types into a field and leaves it.
    void leave(QWidget* field) {
        QTRY_VERIFY(field->hasFocus());
        child<QLineEdit>("eImageKeywords")->setFocus();
        QTRY_VERIFY(!field->hasFocus());
    }

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() {
        std::error_code error;
        for (int i = 0; i < 3; ++i)
            fs::permissions(picture(i), fs::perms::owner_write, fs::perm_options::add, error);
        window = nullptr;
        fixture.reset();
    }

    void leavingTheNameWritesEverySelectedFile();
    void aReadOnlyFileEndsTheWriteAndTheUserIsTold();
    void exifPageShowsFormattedValuesAndClearingKeepsXmp();
    void typedKeywordsGoToEverySelectedImageAndFile();
    void synchronizeGivesEveryImageTheUnion();
    void copyImageKeywordsNeedsOneImage();
    void deletingAKeywordFromTheDatabaseAsksFirst();
    void categoryKeywordsAddOnlyTheCheckedItems();
    void categoryTreeCommands();
};

void KeywordingPagesTest::leavingTheNameWritesEverySelectedFile() {
    openWindow(3, 1);
    std::string picture0 = scanOf(picture(0));
    run("exiftool -q -overwrite_original -IPTC:CopyrightNotice=Ann " + quoted(picture(0)));
    select({0, 1, 2});
    QCOMPARE(easy->selectedItems().size(), size_t(3));
    auto* name = child<QComboBox>("edtCaption");
    for (int round = 0; round < 2; ++round) {
        name->setFocus();
        name->setCurrentText("Harbour at dawn");
        leave(name);
    }
    for (int i = 0; i < 3; ++i)
        QCOMPARE(peer(picture(i), "IPTC:ObjectName"), QString("Harbour at dawn"));
    QCOMPARE(peer(picture(0), "IPTC:CopyrightNotice"), QString("Ann"));
    QCOMPARE(scanOf(picture(0)), picture0);
    QCOMPARE(name->count(), 1);
    QCOMPARE(name->itemText(0), QString("Harbour at dawn"));

    auto* description = child<QPlainTextEdit>("mDescription");
    description->setFocus();
    description->clear();
    leave(description);
    QCOMPARE(run("exiftool -S -IPTC:Caption-Abstract " + quoted(picture(2))),
             std::string("Caption-Abstract: \n"));

    select({1}); // the fields show the file of the single image selected
    QTRY_COMPARE(name->currentText(), QString("Harbour at dawn"));
}

void KeywordingPagesTest::aReadOnlyFileEndsTheWriteAndTheUserIsTold() {
    fixture->store.writeBoolean("Options", "ClearRO", false);
    openWindow(3, 1);
    select({0, 1, 2});
    // The files in selection order: the read-only one in the middle.
    std::vector<fs::path> files;
    for (const ImageListItem* item : easy->selectedItems())
        files.push_back(item->data.FullName);
    QCOMPARE(files.size(), size_t(3));
    fs::permissions(files[1], fs::perms::owner_write, fs::perm_options::remove);
    std::string before1 = bytesOf(files[1]), before2 = bytesOf(files[2]);
    auto* copyright = child<QComboBox>("edtCopyright");
    copyright->setFocus();
    copyright->setCurrentText("Ann");
    leave(copyright);
    QCOMPARE(peer(files[0], "IPTC:CopyrightNotice"), QString("Ann"));
    QCOMPARE(bytesOf(files[1]), before1);
    QCOMPARE(bytesOf(files[2]), before2);
    QString message = window->statusBar()->currentMessage();
    QVERIFY2(message.contains(QString::fromStdString(files[1].string())) &&
                 message.contains("read-only"),
             qPrintable(message));
}

void KeywordingPagesTest::exifPageShowsFormattedValuesAndClearingKeepsXmp() {
    openWindow(2, 1);
    run("exiftool -q -overwrite_original -Make=Maker -Model=M1 -ExposureTime=1/125 -FNumber=5.6 "
        "-ISO=200 -Orientation#=6 -GPSLatitude=48.5 -GPSLatitudeRef=N -XMP:Title=Harbour " +
        quoted(picture(0)));
    std::string pixels = scanOf(picture(0));
    select({0});
    child<QTabWidget>("PageControl3")->setCurrentIndex(1);
    auto* grid = child<QTableWidget>("EXIFGrid");
    QMap<QString, QString> shown;
    QTRY_VERIFY(grid->rowCount() > 0);
    for (int row = 0; row < grid->rowCount(); ++row)
        shown[grid->item(row, 0)->text()] = grid->item(row, 1)->text();
    QCOMPARE(shown["Make"], QString("Maker"));
    QCOMPARE(shown["Model"], QString("M1"));
    QCOMPARE(shown["ExposureTime"], QString("1/125 sec"));
    QCOMPARE(shown["FNumber"], QString("F5.6"));
    QCOMPARE(shown["ISOSpeedRatings"], QString("200"));
    QCOMPARE(shown["Orientation"], QString::fromUtf8("CounterClockwise 90°"));
    QCOMPARE(shown["GPSLatitude"], QString("48 Degrees 30 Minutes 0 Seconds"));

    fixture->prompts.answers = {false, true};
    trigger(cmd::ClearEXIF);
    QCOMPARE(peer(picture(0), "EXIF:Make"), QString("Maker"));
    trigger(cmd::ClearEXIF);
    QCOMPARE(fixture->prompts.questions.back(),
             std::string("Do you want to clear ALL EXIF data from selected files?"));
    QCOMPARE(peer(picture(0), "EXIF:Make"), QString());
    QCOMPARE(peer(picture(0), "XMP:Title"), QString("Harbour"));
    QCOMPARE(scanOf(picture(0)), pixels);
}

void KeywordingPagesTest::typedKeywordsGoToEverySelectedImageAndFile() {
    openWindow(3, 2);
    run("exiftool -q -overwrite_original -IPTC:Keywords=boat " + quoted(picture(1)));
    QTRY_VERIFY(!keyOf(1).empty());
    fixture->stockDB->AddKeywordTextToImage(keyOf(0), "sea");
    select({0, 1, 2});
    auto* memo = child<QPlainTextEdit>("mImageKeywords");
    memo->setFocus();
    QTest::keyClicks(memo, "red apple, fruit;sky");
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->toPlainText(), QString());
    const QStringList expected[] = {{"sea", "red apple", "fruit", "sky"},
                                    {"boat", "red apple", "fruit", "sky"},
                                    {"red apple", "fruit", "sky"}};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(catalogueKeywords(i), expected[i]);
        QCOMPARE(peer(picture(i), "IPTC:Keywords"), expected[i].join('|'));
    }
    auto* list = child<QListWidget>("ImageKeywords");
    QCOMPARE(list->count(), 4);
    auto* tabs = child<QTabWidget>("PageControl2");
    QCOMPARE(tabs->tabText(2), QString("Keywords (4)"));

    // Adding a keyword the image has changes nothing in the catalogue.
    select({2});
    QTest::keyClicks(memo, "Sky");
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(catalogueKeywords(2), expected[2]);
}

void KeywordingPagesTest::synchronizeGivesEveryImageTheUnion() {
    openWindow(3, 0);
    for (int i = 0; i < 3; ++i)
        fixture->stockDB->AddKeywordTextToImage(keyOf(i), std::string(1, char('a' + i)));
    select({0, 1, 2});
    QCOMPARE(fixture->commands().Action(cmd::Syncronize)->shortcut(), QKeySequence(Qt::Key_F4));
    trigger(cmd::Syncronize);
    for (int i = 0; i < 3; ++i) {
        QStringList keywords = catalogueKeywords(i);
        keywords.sort();
        QCOMPARE(keywords, QStringList({"a", "b", "c"}));
        QStringList inFile = peer(picture(i), "IPTC:Keywords").split('|');
        inFile.sort();
        QCOMPARE(inFile, QStringList({"a", "b", "c"}));
    }
}

void KeywordingPagesTest::copyImageKeywordsNeedsOneImage() {
    openWindow(2, 0);
    run("exiftool -q -overwrite_original -IPTC:Keywords=boat " + quoted(picture(0)));
    QTRY_VERIFY(!keyOf(0).empty());
    fixture->stockDB->AddKeywordTextToImage(keyOf(0), "sea");
    QApplication::clipboard()->setText("unchanged");
    select({0, 1});
    trigger(cmd::CopyKeywords);
    QCOMPARE(fixture->prompts.messages.back(),
             std::string("You should select one image only for keywords copy."));
    QCOMPARE(QApplication::clipboard()->text(), QString("unchanged"));
    select({0});
    trigger(cmd::CopyKeywords);
    QCOMPARE(QApplication::clipboard()->text(), QString("sea,boat"));
}

void KeywordingPagesTest::deletingAKeywordFromTheDatabaseAsksFirst() {
    openWindow(2, 2);
    fixture->stockDB->AddKeywordTextToImage(keyOf(0), "sky, sea");
    fixture->stockDB->AddKeywordTextToImage(keyOf(1), "sky");
    select({0});
    auto* list = child<QListWidget>("ImageKeywords");
    QTRY_COMPARE(list->count(), 2);
    list->setCurrentRow(0);
    fixture->prompts.answers = {false, true};
    trigger(cmd::DeleteKeywordFromDatabase);
    QCOMPARE(catalogueKeywords(1), QStringList({"sky"}));
    list->setCurrentRow(0);
    trigger(cmd::DeleteKeywordFromDatabase);
    QCOMPARE(fixture->prompts.questions.size(), size_t(2));
    QCOMPARE(catalogueKeywords(0), QStringList({"sea"}));
    QVERIFY(catalogueKeywords(1).isEmpty());
    QCOMPARE(list->count(), 1);
    QCOMPARE(peer(picture(0), "IPTC:Keywords"), QString("sea"));
}

void KeywordingPagesTest::categoryKeywordsAddOnlyTheCheckedItems() {
    openWindow(2, 2);
    std::string category = fixture->stockDB->CreateCategory(std::string("Nature"), "");
    fixture->stockDB->AddKeywordTextToCategory(category, "tree, blue sky, leaf");
    fixture->stockDB->AddImageToCategory(category, keyOf(0));
    select({0, 1});
    select({0});
    select({0, 1});
    auto* checks = child<QListWidget>("CategoryKeywords");
    QTRY_COMPARE(checks->count(), 3);
    trigger(cmd::AddCategoryKeywordsToImage);
    QVERIFY(catalogueKeywords(0).isEmpty());
    checks->item(0)->setCheckState(Qt::Checked); // blue sky
    checks->item(2)->setCheckState(Qt::Checked); // tree
    trigger(cmd::AddCategoryKeywordsToImage);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(catalogueKeywords(i), QStringList({"blue sky", "tree"}));
        QCOMPARE(peer(picture(i), "IPTC:Keywords"), QString("blue sky|tree"));
    }
    checks = child<QListWidget>("CategoryKeywords");
    checks->findChild<QAction*>("Invertselection2")->trigger();
    QCOMPARE(checks->item(1)->checkState(), Qt::Checked);
}

void KeywordingPagesTest::categoryTreeCommands() {
    openWindow(1, 0);
    window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(1);
    auto* tree = child<QTreeWidget>("CategoryTree");
    fixture->prompts.texts = {"Nature", "Trees", "Nature", "City"};
    trigger(cmd::AddCategory); // nothing selected: a root
    QCOMPARE(tree->topLevelItemCount(), 1);
    tree->setCurrentItem(tree->topLevelItem(0));
    trigger(cmd::AddCategory); // under the selected node
    QCOMPARE(tree->topLevelItem(0)->childCount(), 1);
    trigger(cmd::RootCategory); // "Nature" again: refused silently
    QCOMPARE(tree->topLevelItemCount(), 1);
    trigger(cmd::RootCategory);
    QCOMPARE(tree->topLevelItemCount(), 2);
    auto* stockTree = child<QTreeWidget>("Category");
    QCOMPARE(stockTree->topLevelItemCount(), 2);

    tree->setCurrentItem(tree->findItems("Nature", Qt::MatchExactly).front());
    fixture->prompts.answers = {true};
    trigger(cmd::DeleteCat);
    QCOMPARE(fixture->prompts.messages.back(),
             std::string("You can't delete the category because it contains children categories"));
    QCOMPARE(tree->topLevelItemCount(), 2);

    QTreeWidgetItem* city = tree->findItems("City", Qt::MatchExactly).front();
    city->setText(0, "Town");
    QTRY_COMPARE(tree->findItems("Town", Qt::MatchExactly).size(), qsizetype(1));
    QTRY_COMPARE(stockTree->findItems("Town", Qt::MatchExactly).size(), qsizetype(1));

    tree->setCurrentItem(tree->findItems("Town", Qt::MatchExactly).front());
    auto* input = child<QLineEdit>("edtKeyword");
    input->setText("street, square");
    QTest::keyClick(input, Qt::Key_Return);
    QCOMPARE(child<QListWidget>("Keywords")->count(), 2);
    QCOMPARE(input->text(), QString());
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::KeywordingPagesTest)

#include "KeywordingPagesTest.moc"
