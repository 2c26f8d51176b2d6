#pragma once

#include <QImage>

#include <filesystem>
#include <string>

namespace orvella::test {

// Two pages: page 1 has a red square at the lower left, page 2 a blue one at
// the upper right, so a picture tells which page it is.
std::string TwoPagePostScript();
// A one-page EPS of 144 x 72 points with a green square in its left half.
std::string LogoEps();
// A one-page PDF of 144 x 72 points with a blue square in its right half:
// what an Illustrator file holds since version 9.
std::string BluePdf();
// An EPS the interpreter rejects: an undefined name.
std::string RejectedEps();
// A DOS EPS: its binary header, the PostScript text, and a TIFF preview
// of the given size.
std::string DosEpsWithTiffPreview(const std::string& postScript, int width, int height);

// Whether the pixel at the given fraction of the picture is mostly red,
// green or blue.
bool IsReddish(const QImage& picture, double x, double y);
bool IsGreenish(const QImage& picture, double x, double y);
bool IsBluish(const QImage& picture, double x, double y);

} // namespace orvella::test
