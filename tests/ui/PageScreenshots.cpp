// Writes a picture of the main window for each page of its left and right
// panes, with a folder of pictures listed: the README's screenshots.
// Usage: orvella-page-screenshots PROGRAM_FOLDER PICTURE_FOLDER OUTPUT_FOLDER
#include "support/WindowHarness.h"
#include "ui/ImageListView.h"
#include "ui/pages/ImageListPage.h"
#include "ui/pages/IptcPatternPage.h"
#include "ui/pages/StudioPage.h"

#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace orvella;

int main(int argc, char** argv) {
    if (argc != 4)
        return 1;
    OrvellaApplication application(argc, argv);
    test::WindowHarness harness(application, argv[1]);
    TfrmMain& window = harness.window;
    window.SelectFolder(argv[2]);
    auto* easy = window.findChild<ImageListView*>("Easy");
    if (!QTest::qWaitFor([easy] { return easy->Items()->groupCaption(0).startsWith("Files ("); },
                         20000))
        return 1;
    auto* list = window.findChild<ImageListPage*>("ImageListPage");
    if (!QTest::qWaitFor([list] { return list->isIdle(); }, 20000))
        return 1;
    easy->setCurrentIndex(easy->model()->index(1, 0));
    // The first category shows its keywords on the Catalog page.
    auto* categories = window.findChild<QTreeWidget*>("CategoryTree");
    if (categories->topLevelItemCount() > 0)
        categories->setCurrentItem(categories->topLevelItem(0));
    QString output = argv[3];

    auto save = [&](const QString& name) {
        QTest::qWait(100);
        window.grab().save(QString("%1/%2.png").arg(output, name));
    };
    auto shoot = [&](QTabWidget* pane, const char* prefix) {
        for (int page = 0; page < pane->count(); ++page) {
            pane->setCurrentIndex(page);
            // "Keywords (12)" is the keywords page: the count is left out.
            QString name = pane->tabText(page).remove(QRegularExpression(" \\(\\d+\\)$"));
            name = QString("%1-%2").arg(prefix, name.toLower().replace(' ', '-'));
            save(name);
            // A page of tabs of its own is pictured once for each of them.
            auto* subPages = pane->widget(page)->findChild<QTabWidget*>();
            for (int sub = 0; subPages && sub < subPages->count(); ++sub) {
                subPages->setCurrentIndex(sub);
                save(name + "-" + subPages->tabText(sub).toLower());
            }
            if (subPages)
                subPages->setCurrentIndex(0);
        }
        pane->setCurrentIndex(0);
    };
    shoot(window.findChild<QTabWidget*>("PageControl1"), "left");
    // Coming back to the Files page lists the folder again: the image is
    // chosen anew for the right pane's pages.
    QTest::qWait(500);
    if (!QTest::qWaitFor([list, easy] { return list->isIdle() && easy->Items()->groupCount() > 0; },
                         20000))
        return 1;
    easy->setCurrentIndex(easy->model()->index(1, 0));
    shoot(window.findChild<QTabWidget*>("PageControl2"), "right");

    // The Studio page: the selected picture fitted, zoomed in twice, and an
    // EPS file through the PostScript renderer.
    auto* centre = window.findChild<QTabWidget*>("sPageControl1");
    auto* studio = window.findChild<StudioPage*>("StudioPage");
    auto shootStudio = [&](const char* name) {
        if (!QTest::qWaitFor([studio] { return !studio->loading(); }, 20000))
            qWarning("the page was not ready in time; the picture may show it half drawn");
        QTest::qWait(100);
        window.grab().save(QString("%1/centre-%2.png").arg(output, name));
    };
    centre->setCurrentWidget(studio);
    easy->selectionModel()->select(easy->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    studio->loadSelectedFile();
    shootStudio("studio-fitted");
    studio->findChild<QToolButton*>("btnPlus")->click();
    studio->findChild<QToolButton*>("btnPlus")->click();
    shootStudio("studio-zoomed");
    QTemporaryDir scratch;
    QFile eps(scratch.filePath("logo.eps"));
    eps.open(QIODevice::WriteOnly);
    eps.write("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 288 144\n"
              "0 0.6 0 setrgbcolor 0 0 144 144 rectfill\n"
              "0 0 0.8 setrgbcolor 200 40 moveto 260 72 lineto 200 104 lineto closepath fill\n"
              "showpage\n");
    eps.close();
    studio->load(eps.fileName().toStdString(), true);
    shootStudio("studio-eps");
    centre->setCurrentIndex(0);

    // The IPTC Pattern page with a pattern being put together.
    auto* bottom = window.findChild<QTabWidget*>("pcBottom");
    auto* pattern = window.findChild<IptcPatternPage*>("IptcPatternPage");
    bottom->setCurrentWidget(pattern);
    auto add = [pattern](const char* item, const char* value) {
        pattern->findChild<QComboBox*>("cmbIPTC")->setCurrentText(item);
        pattern->findChild<QPlainTextEdit*>("mIPTC")->setPlainText(value);
        pattern->findChild<QPushButton*>("atnAddTag")->click();
    };
    add("ObjectName (Caption)", "Harbour at dawn");
    add("Keywords (Keywords)", "harbour; boats\nsunrise");
    add("City (City)", "Bergen");
    pattern->findChild<QComboBox*>("cmbIPTC")->setCurrentText("Copyright (Copyright Notice)");
    pattern->findChild<QPlainTextEdit*>("mIPTC")->setPlainText("(c) Orvella");
    QTest::qWait(100);
    window.grab().save(QString("%1/bottom-iptc-pattern.png").arg(output));
    return 0;
}
