#include "support/PageFixture.h"

#include "ui/ImageListModel.h"
#include "ui/ImageListView.h"
#include "ui/OrvellaApplication.h"

#include <QColor>
#include <QImage>
#include <QTest>

namespace orvella::test {

namespace fs = std::filesystem;

PageFixture::PageFixture() {
    fs::create_directories(root / "program");
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "program" / "Orvella.dat");
    installAppLog(&log);
    dataModule =
        std::make_unique<TdmMain>(OrvellaApplication::instance(), root / "program" / "Orvella.dat");
    stockDB = std::make_unique<TStockDBObject>(dataModule->Connection());
    stockDB->SetPrompts(&prompts);
    stockDB->SetProgress(&progress);
    stockDB->SetOptions(&options);
    dataModule->SetAccessObject(stockDB.get());
    context = std::make_unique<WindowContext>(
        WindowContext{dataModule->Connection(), *stockDB, options, prompts, progress,
                      dataModule->Commands(), selection, startup, folders, store});
}

PageFixture::~PageFixture() {
    window.reset();
    dataModule->SetAccessObject(nullptr);
    context.reset();
    stockDB.reset();
    dataModule.reset();
    installAppLog(nullptr);
}

TfrmMain& PageFixture::makeWindow() {
    window = std::make_unique<TfrmMain>(*dataModule, folders, store, startup, prompts);
    return *window;
}

ImageListView* PageFixture::showWindowOn(const std::string& folder, int pictures) {
    writePictures(root / folder, pictures, 120);
    TfrmMain& shown = makeWindow();
    startup.AppStarted = true;
    shown.show();
    shown.activateWindow();
    if (!QTest::qWaitForWindowActive(&shown))
        return nullptr;
    auto* easy = shown.findChild<ImageListView*>("Easy");
    shown.SelectFolder(pathText(folder));
    QString listed = QString("Files (%1)").arg(pictures);
    return QTest::qWaitFor([&] { return firstGroupCaption(easy) == listed; }) ? easy : nullptr;
}

QString firstGroupCaption(const ImageListView* list) {
    return list->Items()->groupCount() ? list->Items()->groupCaption(0) : QString();
}

void writePictures(const fs::path& folder, int count, int width) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        QImage picture(width, width * 2 / 3, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 30 % 360, 200, 200));
        picture.save(QString::fromStdString((folder / ("p" + std::to_string(i) + ".jpg")).string()),
                     "JPEG");
    }
}

} // namespace orvella::test
