#include "ui/FileClipboard.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

namespace orvella {

namespace {

constexpr const char* kCopiedFilesType = "x-special/gnome-copied-files";

std::vector<std::string> localFiles(const QList<QUrl>& urls) {
    std::vector<std::string> files;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
    return files;
}

} // namespace

QMimeData* CopiedFilesMimeData(const std::vector<std::string>& files) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray copied("copy");
    QString text;
    for (const std::string& file : files) {
        QUrl url = QUrl::fromLocalFile(QString::fromStdString(file));
        urls.push_back(url);
        copied += "\n" + url.toEncoded();
        text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(file);
    }
    data->setUrls(urls);
    data->setData(kCopiedFilesType, copied);
    data->setText(text);
    return data;
}

// The first line of the file manager's list says "copy" or "cut"; pasting
// never removes the originals, so both are taken as a copy.
std::vector<std::string> ClipboardFiles(const QMimeData* data) {
    if (!data)
        return {};
    if (data->hasFormat(kCopiedFilesType)) {
        QList<QByteArray> lines = data->data(kCopiedFilesType).split('\n');
        QList<QUrl> urls;
        for (qsizetype i = 1; i < lines.size(); ++i)
            if (!lines[i].trimmed().isEmpty())
                urls.push_back(QUrl::fromEncoded(lines[i].trimmed()));
        return localFiles(urls);
    }
    return localFiles(data->urls());
}

} // namespace orvella
