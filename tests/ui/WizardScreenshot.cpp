// Writes a picture of the full-scan wizard on its second page, while it
// scans a folder of pictures it makes. Not a test: run by hand.
// Usage: orvella-wizard-screenshot OUTPUT.png
#include "../files/PictureFixtures.h"
#include "catalogue/StockDB.h"
#include "shell/SettingsStore.h"
#include "support/TempFolder.h"
#include "ui/dialogs/TfrmFullScan.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

using namespace orvella;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2)
        return 1;
    QApplication application(argc, argv);
    test::TempFolder root;
    fs::path photos = root / "Holiday 2024";
    fs::create_directories(photos);
    fs::create_directories(root / "MD5");
    for (int i = 0; i < 12; ++i)
        test::WriteBytes(photos / ("beach" + std::to_string(i) + ".jpg"),
                         test::EncodeJpeg({600, 400, qRgb(20 * i, 140, 230 - 15 * i)}));
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "Orvella.dat");
    TCatalogueConnection connection(root / "Orvella.dat");
    TStockDBObject catalogue(connection);
    SettingsStore store(root.path(), root / "registry.ini");
    TfrmFullScan wizard(catalogue, store, {root / "MD5", root / "ScanHistory.dat", true, false},
                        QString::fromStdString(photos.string()));
    bool saved = false;
    QObject::connect(&wizard, &TfrmFullScan::fileImported, [&](int count) {
        if (count == 7)
            saved = wizard.grab().save(argv[1]);
    });
    wizard.show();
    QTest::mouseClick(wizard.findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    return saved ? 0 : 1;
}
