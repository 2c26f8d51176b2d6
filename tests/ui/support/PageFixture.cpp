#include "support/PageFixture.h"

#include "ui/OrvellaApplication.h"

#include <QColor>
#include <QImage>

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
