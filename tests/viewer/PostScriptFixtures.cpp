#include "PostScriptFixtures.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include <QBuffer>
#include <QImage>

namespace orvella::test {

std::string TwoPagePostScript() {
    return "%!PS-Adobe-3.0\n"
           "<< /PageSize [200 100] >> setpagedevice\n"
           "1 0 0 setrgbcolor 0 0 50 50 rectfill showpage\n"
           "0 0 1 setrgbcolor 150 50 50 50 rectfill showpage\n";
}

std::string LogoEps() {
    return "%!PS-Adobe-3.0 EPSF-3.0\n"
           "%%BoundingBox: 0 0 144 72\n"
           "<< /PageSize [144 72] >> setpagedevice\n"
           "0 1 0 setrgbcolor 0 0 72 72 rectfill showpage\n";
}

std::string BluePdf() {
    const std::string drawing = "0 0 1 rg 72 0 72 72 re f\n";
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 144 72] /Contents 4 0 R >>",
        "<< /Length " + std::to_string(drawing.size()) + " >>\nstream\n" + drawing + "endstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < std::size(objects); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string RejectedEps() {
    return "%!PS-Adobe-3.0 EPSF-3.0\n"
           "%%BoundingBox: 0 0 100 100\n"
           "orvellaNoSuchOperator\n";
}

namespace {
void putLittleEndian(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}
} // namespace

std::string DosEpsWithTiffPreview(const std::string& postScript, int width, int height) {
    QImage preview(width, height, QImage::Format_RGB888);
    preview.fill(QColor(0, 0, 255));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    preview.save(&buffer, "TIFF");
    std::string tiff = buffer.data().toStdString();
    const uint32_t headerSize = 30;
    std::string out = "\xC5\xD0\xD3\xC6";
    putLittleEndian(out, headerSize);
    putLittleEndian(out, static_cast<uint32_t>(postScript.size()));
    putLittleEndian(out, 0); // no metafile preview
    putLittleEndian(out, 0);
    putLittleEndian(out, headerSize + static_cast<uint32_t>(postScript.size()));
    putLittleEndian(out, static_cast<uint32_t>(tiff.size()));
    out += "\xFF\xFF";
    return out + postScript + tiff;
}

namespace {
QColor colourAt(const QImage& picture, double x, double y) {
    return picture.pixelColor(static_cast<int>(x * (picture.width() - 1)),
                              static_cast<int>(y * (picture.height() - 1)));
}
} // namespace

bool IsReddish(const QImage& picture, double x, double y) {
    QColor c = colourAt(picture, x, y);
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

bool IsGreenish(const QImage& picture, double x, double y) {
    QColor c = colourAt(picture, x, y);
    return c.green() > 200 && c.red() < 60 && c.blue() < 60;
}

bool IsBluish(const QImage& picture, double x, double y) {
    QColor c = colourAt(picture, x, y);
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}

} // namespace orvella::test
