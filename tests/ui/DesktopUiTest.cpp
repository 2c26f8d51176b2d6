// The window as a desktop citizen: its name, icon and desktop file name,
// the title of its message boxes, and files dragged out of its image list.
#include "support/PageFixture.h"
#include "ui/ImageListView.h"
#include "ui/QtPrompts.h"

#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class DesktopUiTest : public QObject {
    Q_OBJECT
private slots:
    void applicationNamesAndIcon();
    void messageBoxesCarryTheApplicationName();
    void itemsDraggedOutOfTheListCarryTheirFiles();
};

void DesktopUiTest::applicationNamesAndIcon() {
    QCOMPARE(QApplication::applicationDisplayName(), QString("Orvella"));
    QCOMPARE(QGuiApplication::desktopFileName(), QString("example.orvella.Orvella"));
    QIcon icon = QApplication::windowIcon();
    QVERIFY(!icon.isNull());
    QImage drawn = icon.pixmap(48, 48).toImage();
    QCOMPARE(drawn.size(), QSize(48, 48));
    QVERIFY(drawn.pixelColor(24, 24).alpha() > 0); // a drawing, not an empty placeholder
}

void DesktopUiTest::messageBoxesCarryTheApplicationName() {
    QString title;
    for (bool question : {false, true}) {
        title.clear();
        QTimer::singleShot(0, [&title] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            box->reject();
        });
        QtPrompts prompts;
        if (question)
            prompts.confirm("Delete?");
        else
            prompts.showMessage("Done");
        QCOMPARE(title, QString("Orvella"));
    }
}

void DesktopUiTest::itemsDraggedOutOfTheListCarryTheirFiles() {
    test::PageFixture fixture;
    fs::create_directories(fixture.root / "shoot");
    for (const char* name : {"a.jpg", "b c.jpg"}) {
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(
            picture.save(QString::fromStdString((fixture.root / "shoot" / name).string()), "JPEG"));
    }
    TfrmMain& window = fixture.makeWindow();
    fixture.startup.AppStarted = true;
    window.show();
    auto* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(fixture.pathText("shoot"));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (2)"));

    QVERIFY(easy->dragEnabled());
    QCOMPARE(easy->model()->supportedDragActions(), Qt::DropActions(Qt::CopyAction));
    QVERIFY(easy->model()->mimeTypes().contains("text/uri-list"));
    easy->selectAll();
    QModelIndexList dragged = easy->selectionModel()->selectedIndexes();
    dragged.push_back(easy->model()->index(0, 0)); // the group caption carries no file
    std::unique_ptr<QMimeData> data(easy->model()->mimeData(dragged));
    QVERIFY(data);
    QVERIFY(data->hasFormat("text/uri-list"));
    QStringList files;
    for (const QUrl& url : data->urls())
        files << url.toString();
    files.sort();
    auto url = [&](const char* name) {
        return QUrl::fromLocalFile(fixture.pathText("shoot/" + std::string(name))).toString();
    };
    QCOMPARE(files, QStringList({url("a.jpg"), url("b c.jpg")}));
    QVERIFY(QString::fromUtf8(data->data("text/uri-list")).contains("b%20c.jpg"));
    window.close();
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::DesktopUiTest)

#include "DesktopUiTest.moc"
