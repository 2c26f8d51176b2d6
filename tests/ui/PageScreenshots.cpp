// Writes a picture of the main window for each page of its left and right
// panes, with a folder of pictures listed: the README's screenshots.
// Usage: orvella-page-screenshots PROGRAM_FOLDER PICTURE_FOLDER OUTPUT_FOLDER
#include "support/WindowHarness.h"
#include "ui/ImageListView.h"

#include <QTabWidget>
#include <QTest>

using namespace orvella;

int main(int argc, char** argv) {
    if (argc != 4)
        return 1;
    OrvellaApplication application(argc, argv);
    test::WindowHarness harness(application, argv[1]);
    TfrmMain& window = harness.window;
    window.SelectFolder(argv[2]);
    auto* easy = window.findChild<ImageListView*>("Easy");
    if (!QTest::qWaitFor([easy] { return easy->Items()->groupCaption(0).startsWith("Files ("); }, 20000))
        return 1;
    easy->setCurrentIndex(easy->model()->index(1, 0));
    QString output = argv[3];
    auto shoot = [&](QTabWidget* pane, const char* prefix) {
        for (int page = 0; page < pane->count(); ++page) {
            pane->setCurrentIndex(page);
            QTest::qWait(100);
            QString name = pane->tabText(page).toLower().replace(' ', '-');
            window.grab().save(QString("%1/%2-%3.png").arg(output, prefix, name));
        }
        pane->setCurrentIndex(0);
    };
    shoot(window.findChild<QTabWidget*>("PageControl1"), "left");
    shoot(window.findChild<QTabWidget*>("PageControl2"), "right");
    return 0;
}
