#include "support/PageFixture.h"
#include "ui/ImageListView.h"
#include "ui/pages/FilesPage.h"
#include "ui/panes/LeftPane.h"

#include <QMimeData>
#include <QTreeView>
#include <QWindow>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class FileViewsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;

    static bool dragAndDrop(QWidget* window, const QMimeData& data, QPoint at) {
        QWindow* handle = window->windowHandle();
        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(handle, &enter);
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
        if (enter.isAccepted()) { move.setDropAction(enter.dropAction()); move.accept(); }
        QCoreApplication::sendEvent(handle, &move);
        qDebug() << "enter" << enter.isAccepted() << "move" << move.isAccepted();
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(handle, &drop);
        qDebug() << "drop" << drop.isAccepted();
        return drop.isAccepted();
    }

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() { fixture.reset(); }
    void experiment() {
        test::writePictures(fixture->root / "desktop", 2, 100);
        fs::create_directories(fixture->root / "target");
        fs::create_directories(fixture->root / "shown");
        TfrmMain& window = fixture->makeWindow();
        fixture->startup.AppStarted = true;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        FilesPage& files = window.Left()->files();
        files.selectFolder(fixture->pathText("target"));
        auto* tree = window.findChild<QTreeView*>("Tree");
        QTRY_VERIFY(tree->visualRect(tree->currentIndex()).isValid());
        QPoint over = tree->viewport()->mapTo(&window, tree->visualRect(tree->currentIndex()).center());
        files.selectFolder(fixture->pathText("shown"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(fixture->pathText("desktop/p0.jpg"))});
        dragAndDrop(&window, data, over);
        qDebug() << fs::exists(fixture->root / "target" / "p0.jpg") << fs::exists(fixture->root / "shown" / "p0.jpg");
    }
};

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::FileViewsTest)

#include "FileViewsTest.moc"
