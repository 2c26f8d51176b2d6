// Makes the full-scan benchmark's tree: COUNT JPEG pictures of 1200 x 800,
// each different, with an EXIF block and an IPTC block (keywords, title,
// author), spread over nested folders. Usage:
// orvella-bench-scan-photos FOLDER COUNT
#include "MetadataFixtures.h"
#include "PictureFixtures.h"
#include "viewer/JpegEncode.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace orvella::test;

QImage pictureNumber(int number) {
    std::mt19937 random(static_cast<unsigned>(number) * 7919u + 1);
    QImage picture(1200, 800, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, 800);
    sky.setColorAt(0, QColor::fromHsv(static_cast<int>(random() % 360), 120, 230));
    sky.setColorAt(1, QColor::fromHsv(static_cast<int>(random() % 360), 200, 90));
    painter.fillRect(picture.rect(), sky);
    for (int shape = 0; shape < 12; ++shape) {
        painter.setBrush(QColor::fromHsv(static_cast<int>(random() % 360), 180, 200));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(static_cast<int>(random() % 1100), static_cast<int>(random() % 700),
                            40 + static_cast<int>(random() % 260),
                            40 + static_cast<int>(random() % 200));
    }
    return picture;
}

std::string metadataSegments(int number) {
    TiffBuilder exif;
    exif.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Bench Camera"),
                 TiffBuilder::asciiEntry(0x0110, "Model 7"),
                 TiffBuilder::asciiEntry(0x013B, "Photographer " + std::to_string(number % 17)),
                 exif.shortEntry(0x0112, 1)};
    exif.exif = {exif.rationalEntry(0x829A, 1, 250), exif.rationalEntry(0x829D, 56, 10),
                 exif.shortEntry(0x8827, 200),
                 TiffBuilder::asciiEntry(0x9003, "2024:05:01 10:00:00")};
    std::string iptc = iptcDataset(2, 5, "Picture " + std::to_string(number)) +
                       iptcDataset(2, 80, "O'Brien") +
                       iptcDataset(2, 120, "A scene made for the bench");
    for (const char* keyword : {"sky", "shapes", "colour", "bench"})
        iptc += iptcDataset(2, 25, keyword);
    return jpegSegment(0xE1, exif.exifPayload()) + jpegSegment(0xED, photoshopPayload(iptc));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvella-bench-scan-photos FOLDER COUNT\n");
        return 1;
    }
    fs::path root = argv[1];
    int count = std::stoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        // Ten folders of four sub-folders each.
        fs::path folder =
            root / ("set" + std::to_string(i % 10)) / ("day" + std::to_string(i / 10 % 4));
        fs::create_directories(folder);
        char name[32];
        std::snprintf(name, sizeof name, "photo%05d.jpg", i);
        WriteBytes(folder / name,
                   withSegments(orvella::EncodeJpeg(pictureNumber(i), 90), metadataSegments(i)));
    }
    return 0;
}
