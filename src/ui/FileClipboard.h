#pragma once

#include <string>
#include <vector>

class QMimeData;

namespace orvella {

// The file list "Copy" puts on the clipboard: the paths as text/uri-list, as
// x-special/gnome-copied-files (so a file manager's "Paste" takes them) and
// as plain text. The caller owns the result until the clipboard takes it.
QMimeData* CopiedFilesMimeData(const std::vector<std::string>& files);

// The local files a clipboard or a drop holds: the file manager's
// x-special/gnome-copied-files list when there is one, else text/uri-list.
std::vector<std::string> ClipboardFiles(const QMimeData* data);

} // namespace orvella
