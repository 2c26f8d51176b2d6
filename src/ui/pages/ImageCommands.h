#pragma once

#include "catalogue/FileRecords.h"

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace orvella {

class ImageSelection;

// The selected images in selection order, as the metadata commands take them.
std::vector<TImageData> selectedImages(const ImageSelection& selection);
// The image a "first" command works on and the lists show: the focused image
// when it is selected, else the first selected one; empty when none is.
std::vector<TImageData> firstSelectedImage(const ImageSelection& selection);

// Runs a command that writes image files. A file it cannot write ends it; the
// user is told which file and why in the status bar of the page's window
// (the log has the line already). Gives false when the command ended so.
bool runFileCommand(QWidget* page, const std::function<void()>& command);

// A message in the status bar of the widget's main window.
void showStatusMessage(QWidget* widget, const QString& text);

} // namespace orvella
