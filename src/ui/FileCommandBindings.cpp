#include "ui/FileCommandBindings.h"

#include "files/FileCommands.h"
#include "files/FileOperations.h"
#include "shell/Folders.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"
#include "ui/CommandTable.h"
#include "ui/FileClipboard.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/dialogs/TfrmFullScan.h"
#include "ui/pages/FilesPage.h"

#include <QApplication>
#include <QClipboard>

namespace orvella {

namespace fs = std::filesystem;

FileCommandBindings::FileCommandBindings(WindowContext& context, FilesPage& files, QWidget* window,
                                         std::function<void()> refresh)
    : QObject(window), context_(context), files_(files), window_(window),
      refresh_(std::move(refresh)) {
    bind();
}

void FileCommandBindings::bind() {
    CommandTable& commands = context_.commands;
    commands.Bind(cmd::Copy, this, [this] { copyToClipboard(); });
    commands.Bind(cmd::Paste, this, [this] { pasteFromClipboard(); });
    commands.Bind(cmd::Clone, this, [this] { cloneSelected(); });
    commands.Bind(cmd::Delete, this, [this] { deleteSelected(); });
    commands.Bind(cmd::Zip, this, [this] { zipSelected(); });
    commands.Bind(cmd::SetLocation, this, [this] { setActualLocation(); });
    commands.Bind(cmd::Move, this, [this] { moveSelected(); });
    commands.Bind(cmd::FullScan, this, [this] { RunFullScan(files_.selectedFolder()); });
}

std::vector<TImageData> FileCommandBindings::selectedFiles() const {
    std::vector<TImageData> files;
    for (const ImageListItem* item : context_.selection.selected())
        if (item && !item->data.FullName.empty())
            files.push_back(item->data);
    return files;
}

void FileCommandBindings::copyToClipboard() {
    std::vector<std::string> paths;
    for (const TImageData& file : selectedFiles())
        paths.push_back(file.FullName);
    if (paths.empty())
        return;
    QApplication::clipboard()->setMimeData(CopiedFilesMimeData(paths));
    logGuarded("Files copied to clipboard");
}

void FileCommandBindings::pasteFromClipboard() {
    std::vector<fs::path> files;
    for (const std::string& file : ClipboardFiles(QApplication::clipboard()->mimeData()))
        files.emplace_back(file);
    QString folder = files_.selectedFolder();
    if (files.empty() || !IsFolder(folder.toStdString()))
        return;
    FileOperations(context_.stockDB, context_.prompts, context_.progress)
        .Paste(files, folder.toStdString());
    refresh_();
}

void FileCommandBindings::cloneSelected() {
    FileOperations(context_.stockDB, context_.prompts, context_.progress)
        .CloneImages(selectedFiles(), context_.options.GetOption("Overwrite").toBool());
    refresh_();
}

void FileCommandBindings::deleteSelected() {
    if (FileOperations(context_.stockDB, context_.prompts, context_.progress)
            .DeleteImages(selectedFiles()) > 0)
        refresh_();
}

void FileCommandBindings::zipSelected() {
    std::vector<TImageData> files = selectedFiles();
    if (files.empty())
        return;
    FileOperations(context_.stockDB, context_.prompts, context_.progress).ZipFiles(files);
    refresh_();
}

void FileCommandBindings::setActualLocation() {
    std::vector<TImageData> files = selectedFiles();
    if (files.empty())
        return;
    std::optional<std::string> chosen =
        context_.prompts.chooseFileToOpen("Set actual image location", "All files (*)");
    if (!chosen)
        return;
    FileOperations(context_.stockDB, context_.prompts, context_.progress)
        .SetActualImageLocation(files[0], *chosen);
    refresh_();
}

// The target is asked for in a folder dialog opened at the tree's folder;
// then the selection goes there as in a drop on that folder.
void FileCommandBindings::moveSelected() {
    if (selectedFiles().empty())
        return;
    std::optional<std::string> folder =
        context_.prompts.chooseFolder("Move", files_.selectedFolder().toStdString());
    if (folder && IsFolder(*folder))
        DropSelection(QString::fromStdString(*folder));
}

void FileCommandBindings::DropSelection(const QString& folder) {
    std::vector<TImageData> files = selectedFiles();
    if (files.empty())
        return;
    FileOptions options{context_.options.GetOption("MoveFiles").toBool(),
                        context_.options.GetOption("Overwrite").toBool()};
    FileOperations(context_.stockDB, context_.prompts, context_.progress)
        .DropOnFolder(files, folder.toStdString(), options);
    refresh_();
}

FullScanSettings FileCommandBindings::scanSettings() const {
    return {context_.folders.PreviewCacheFolder(),
            context_.folders.ProgramFolder() / kScanHistoryFileName,
            context_.options.GetOption("ClearRO").toBool(),
            context_.options.GetOption("JPEGPreview").toBool()};
}

void FileCommandBindings::RunFullScan(const QString& folder) {
    if (folder.isEmpty() || !IsFolder(folder.toStdString()) || TfrmFullScan::IsOpen())
        return;
    TfrmFullScan wizard(context_.stockDB, context_.store, scanSettings(), folder, window_);
    wizard.exec();
    context_.options.LoadOptions(); // "Don't show this dialog again " may have changed FullScan
}

void FileCommandBindings::OfferFullScan(const QString& folder) {
    if (!context_.options.GetOption("FullScan").toBool() || TfrmFullScan::IsOpen() ||
        folder.isEmpty())
        return;
    if (!IsFolderInScanHistory(context_.folders.ProgramFolder() / kScanHistoryFileName,
                               folder.toStdString()))
        RunFullScan(folder);
}

} // namespace orvella
