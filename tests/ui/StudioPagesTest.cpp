// The Studio page and the IPTC Pattern page in the main window, driven by
// their controls and commands, with the files and the catalogue read back.
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"
#include "support/PageFixture.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageListView.h"
#include "ui/pages/IptcPatternPage.h"
#include "ui/pages/StudioPage.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

namespace {

QString groupCaption(ImageListView* list) {
    return list->Items()->groupCaption(0);
}

std::string iptcValue(const fs::path& file, const std::string& name) {
    TimgData data;
    if (!data.ProcessFile(file) || data.IptcObj() == nullptr)
        return "<none>";
    data.IptcObj()->ParseIPTC();
    int index = data.IptcObj()->FindTag(name);
    return index < 0 ? "<none>" : data.IptcObj()->GetEntry(index).value;
}

} // namespace

class StudioPagesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;
    TfrmMain* window = nullptr;
    ImageListView* easy = nullptr;

    void openWindowOn(const char* folder, const QString& caption) {
        window = &fixture->makeWindow();
        fixture->startup.AppStarted = true;
        window->resize(1000, 700);
        window->show();
        easy = window->findChild<ImageListView*>("Easy");
        window->SelectFolder(fixture->pathText(folder));
        QTRY_COMPARE(groupCaption(easy), caption);
    }
    // Selects the items at the given positions of the list (0 the first).
    void select(std::initializer_list<int> items) {
        easy->selectionModel()->clear();
        for (int item : items)
            easy->selectionModel()->select(easy->model()->index(item + 1, 0),
                                           QItemSelectionModel::Select);
        easy->selectionModel()->setCurrentIndex(easy->model()->index(*items.begin() + 1, 0),
                                                QItemSelectionModel::NoUpdate);
    }
    StudioPage* studio() { return window->findChild<StudioPage*>("StudioPage"); }
    void trigger(CommandId id) { fixture->commands().Action(id)->trigger(); }
    QString panel(int index) {
        return window->findChild<QLabel*>(index == 0 ? "lblStudioPanel0" : "lblStudioPanel1")
            ->text();
    }

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() {
        if (window)
            window->close();
        window = nullptr;
        fixture.reset();
    }

    void loadFileToStudioShowsTheFirstSelectedFileFitted();
    void nextAndPreviousKeepTheirListAfterAFolderChange();
    void patternRowsAreAddedReplacedSavedAndLoaded();
    void patternIsAppliedToTheSelectedJpegs();
};

void StudioPagesTest::loadFileToStudioShowsTheFirstSelectedFileFitted() {
    test::writePictures(fixture->root / "shoot", 3, 600);
    openWindowOn("shoot", "Files (3)");
    auto* centre = window->findChild<QTabWidget*>("sPageControl1");
    QCOMPARE(centre->currentIndex(), 0);
    fixture->commands().Action(cmd::FitToWindow)->setChecked(false); // the command fits anyway
    select({1});
    trigger(cmd::ShowFile);
    QCOMPARE(centre->currentWidget(), static_cast<QWidget*>(studio()));
    QTRY_VERIFY(!studio()->loading());
    QCOMPARE(panel(0), QString("Resized"));
    QCOMPARE(panel(1), fixture->pathText("shoot/p1.jpg"));
    for (const char* name : {"btnOpen", "btnSaveImage", "btnRotate", "btnRotate90", "btnPlus",
                             "btnMinus", "btnPrev", "btnNext", "btnResize"})
        QVERIFY2(studio()->findChild<QWidget*>(name) != nullptr, name);

    QTest::keyClick(studio(), Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(studio(), Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(panel(0), QString("400%"));
    QCOMPARE(studio()->document().ControlSize(),
             studio()->findChild<QWidget*>("sbStudio")->findChild<QWidget*>("imgStudio")->size());
    QTest::keyClick(studio(), Qt::Key_Escape);
    QCOMPARE(centre->currentIndex(), 0);
}

void StudioPagesTest::nextAndPreviousKeepTheirListAfterAFolderChange() {
    test::writePictures(fixture->root / "first", 3, 300);
    test::writePictures(fixture->root / "second", 1, 300);
    openWindowOn("first", "Files (3)");
    QStringList listed; // in the list's order
    for (int item = 0; item < 3; ++item)
        listed << QString::fromStdString(easy->Items()->item(0, item).data.FullName);
    select({0});
    trigger(cmd::ShowFile);
    QTRY_VERIFY(!studio()->loading());
    trigger(cmd::LoadPrevious); // no wrap-around
    QTRY_VERIFY(!studio()->loading());
    QCOMPARE(panel(1), listed[0]);
    trigger(cmd::LoadNext);
    QTRY_COMPARE(panel(1), listed[1]);
    QTRY_VERIFY(!studio()->loading());

    window->SelectFolder(fixture->pathText("second"));
    QTRY_COMPARE(groupCaption(easy), QString("Files (1)"));
    window->findChild<QTabWidget*>("sPageControl1")->setCurrentWidget(studio());
    QTest::keyClick(studio(), Qt::Key_Space);
    QTRY_COMPARE(panel(1), listed[2]);
    QTRY_VERIFY(!studio()->loading());
    QTest::keyClick(studio(), Qt::Key_Backspace);
    QTRY_COMPARE(panel(1), listed[1]);
}

void StudioPagesTest::patternRowsAreAddedReplacedSavedAndLoaded() {
    IptcPatternPage page(*fixture->context);
    auto* tags = page.findChild<QComboBox*>("cmbIPTC");
    auto* value = page.findChild<QPlainTextEdit*>("mIPTC");
    auto* grid = page.findChild<QTableWidget*>("vleIPTC");
    auto* add = page.findChild<QPushButton*>("atnAddTag");
    QCOMPARE(tags->currentText(), QString("ObjectName (Caption)"));
    QCOMPARE(grid->horizontalHeaderItem(0)->text(), QString("IPTC Tag"));

    tags->setCurrentText("Keywords (Keywords)");
    value->setPlainText("sky; sea\nsun");
    add->click();
    QCOMPARE(grid->item(0, 1)->text(), QString("sky,sea,sun"));
    QVERIFY(value->toPlainText().isEmpty());

    tags->setCurrentText("ObjectName (Caption)");
    value->setPlainText("Sunset");
    add->click();
    value->setPlainText("Dawn");
    fixture->prompts.answers = {false};
    add->click();
    QCOMPARE(grid->item(1, 1)->text(), QString("Sunset"));
    QCOMPARE(value->toPlainText(), QString("Dawn")); // No leaves the memo as it is
    QCOMPARE(
        fixture->prompts.questions.back(),
        std::string("This tag already exists in the pattern. Do you wish to replace the tag?"));

    grid->item(1, 1)->setText("Harbour"); // typed into the grid
    fs::path saved = fixture->root / "program" / "Patterns" / "mine";
    fixture->prompts.texts = {saved.string()};
    page.findChild<QToolButton*>("sbSave")->click();
    QVERIFY(fs::is_directory(fixture->root / "program" / "Patterns"));
    QFile xml(QString::fromStdString(saved.string() + ".xml"));
    QVERIFY(xml.open(QIODevice::ReadOnly));
    QVERIFY(xml.readAll().contains("<Tag KeyValue=\"Harbour\" Key=\"ObjectName\" />"));

    page.findChild<QPushButton*>("btnDeleteTag")->click(); // no current row: nothing
    grid->setCurrentCell(0, 0);
    page.findChild<QPushButton*>("btnDeleteTag")->click();
    QCOMPARE(grid->rowCount(), 1);

    fixture->prompts.texts = {saved.string() + ".xml"};
    page.findChild<QToolButton*>("sbLoad")->click();
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->item(0, 0)->text(), QString("Keywords"));

    fs::path broken = fixture->root / "broken.xml";
    QFile bad(QString::fromStdString(broken.string()));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("<IPTCPattern><Tags>");
    bad.close();
    fixture->prompts.texts = {broken.string()};
    page.findChild<QToolButton*>("sbLoad")->click();
    QCOMPARE(grid->rowCount(), 0);
    QVERIFY(QString::fromStdString(fixture->prompts.messages.back()).contains("broken.xml"));
}

void StudioPagesTest::patternIsAppliedToTheSelectedJpegs() {
    test::writePictures(fixture->root / "mixed", 2, 300);
    QFile eps(fixture->pathText("mixed/p0b.eps"));
    QVERIFY(eps.open(QIODevice::WriteOnly));
    eps.write("%!PS-Adobe-3.0 EPSF-3.0\n");
    eps.close();
    openWindowOn("mixed", "Files (3)");
    auto* page = window->findChild<IptcPatternPage*>("IptcPatternPage");
    auto* grid = page->findChild<QTableWidget*>("vleIPTC");
    page->findChild<QComboBox*>("cmbIPTC")->setCurrentText("Keywords (Keywords)");
    page->findChild<QPlainTextEdit*>("mIPTC")->setPlainText("sky,sea");
    page->findChild<QPushButton*>("atnAddTag")->click();

    select({0, 1, 2}); // p0.jpg, p0b.eps, p1.jpg
    page->findChild<QToolButton*>("sSpeedButton2")->click();
    for (const char* name : {"p0.jpg", "p1.jpg"})
        QCOMPARE(iptcValue(fixture->root / "mixed" / name, "Keywords"), std::string("sky,sea"));
    // The rewrite changed the file's key; the catalogue row follows it.
    for (const TFolderImage& image :
         fixture->stockDB->GetFolderImages((fixture->root / "mixed").string()))
        if (image.FileName != "p0b.eps")
            QCOMPARE(fixture->stockDB->GetImageKeywordLine(image.MD5), std::string("sky,sea"));

    select({2});
    page->findChild<QToolButton*>("sSpeedButton1")->click();
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 1)->text(), QString("sky,sea"));
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::StudioPagesTest)
#include "StudioPagesTest.moc"
