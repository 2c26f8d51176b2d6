#include "ui/Help.h"

#include "ui/Links.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace orvella {

void openHelp(const std::filesystem::path& programFolder) {
    QFileInfo help(QString::fromStdString((programFolder / "help.chm").string()));
    QDesktopServices::openUrl(help.exists() ? QUrl::fromLocalFile(help.absoluteFilePath())
                                            : QUrl(kOnlineHelpPage));
}

} // namespace orvella
