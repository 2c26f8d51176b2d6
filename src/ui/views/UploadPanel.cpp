#include "ui/views/UploadPanel.h"

#include "shell/AtomicFile.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "upload/FTPUploader.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

namespace orvella {

namespace {
const char* const kStartCaption = "Start &Upload";
} // namespace

UploadPanel::UploadPanel(UploadPanelContext context, QWidget* parent)
    : QWidget(parent), context_(std::move(context)) {
    button_ = new QPushButton(kStartCaption, this);
    button_->setObjectName("btnUpload");
    button_->setProperty("tag", 0);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("FTPProgress");
    progress_->setValue(0);
    currentFile_ = new QLabel(this);
    currentFile_->setObjectName("lbCurrentFile");
    transfer_ = new QLabel(this);
    transfer_->setObjectName("lbProgress");
    log_ = new QListWidget(this);
    log_->setObjectName("lbLog");
    auto* clear = new QPushButton("&Clear log", this);
    clear->setObjectName("btnClearLog");
    auto* save = new QPushButton("&Save log", this);
    save->setObjectName("btnSaveLog");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(button_);
    layout->addWidget(progress_);
    layout->addWidget(currentFile_);
    layout->addWidget(transfer_);
    layout->addWidget(log_, 1);
    auto* logButtons = new QHBoxLayout;
    logButtons->addWidget(clear);
    logButtons->addWidget(save);
    layout->addLayout(logButtons);

    connect(button_, &QPushButton::clicked, this, &UploadPanel::clickUpload);
    connect(clear, &QPushButton::clicked, this, &UploadPanel::clearLog);
    connect(save, &QPushButton::clicked, this, &UploadPanel::saveLog);
}

UploadPanel::~UploadPanel() {
    if (uploader_)
        uploader_->Terminate();
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
}

bool UploadPanel::Uploading() const {
    return running_;
}

void UploadPanel::clickUpload() {
    if (button_->property("tag").toInt() == 0)
        start();
    else
        stop();
}

void UploadPanel::start() {
    if (running_) {
        // A stopped run is still finishing its file: one run at a time.
        logAlways("Upload not started: the stopped run is still finishing");
        return;
    }
    logAlways("FTP uploading state is " + std::to_string(button_->property("tag").toInt()));
    logAlways("Start uploading button clicked");
    logAlways("Try to terminate FTP object if assigned");
    if (uploader_)
        uploader_->Terminate();
    uploader_.reset();
    logAlways("Terminated all existing FTP sessions");

    logAlways("Uploader process create");
    logAlways("Create uploader object");
    auto uploader = std::make_shared<TFTPUploader>(context_.connection, context_.store);
    logAlways("Add database connection");
    uploader->SetWindow(this);
    logAlways("Assign progress bar");
    logAlways("Assign log");
    logAlways("Stop button assigned");
    uploader->SetPrompts(&context_.prompts);
    uploader->SetOptions(&context_.options);
    uploader->SetExchangeLog(context_.exchangeLog);
    uploader->LoadParameters();
    for (const std::string& file :
         AddCheckedEntries(*uploader, context_.entries(), context_.catalogue))
        PostLine(file + ": the file is missing; it was not uploaded");

    // Closing the window while the run lets events through must not tear
    // the page down under it: the close waits for the run to end.
    if (QWidget* window = this->window(); window != this && window != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = window;
        watchedWindow_->installEventFilter(this);
    }
    uploader_ = uploader;
    button_->setText("Stop Uploading");
    button_->setProperty("tag", 1);
    running_ = true;
    logAlways("Uploading process started");
    uploader->Execute();
    running_ = false;
    emit uploadEnded();
    if (closeWhenDone_) {
        closeWhenDone_ = false;
        if (watchedWindow_)
            QMetaObject::invokeMethod(watchedWindow_, &QWidget::close, Qt::QueuedConnection);
    }
}

void UploadPanel::stop() {
    logAlways("Stop uploading button clicked");
    logAlways("Try to terminate FTP object if assigned");
    if (uploader_) {
        uploader_->Terminate();
        uploader_.reset();
        logAlways("Uploading process terminated");
    }
    setIdle("Start Upload");
}

void UploadPanel::setIdle(const char* caption) {
    button_->setProperty("tag", 0);
    button_->setText(caption);
}

QStringList UploadPanel::logLines() const {
    QStringList lines;
    for (int row = 0; row < log_->count(); ++row)
        lines << log_->item(row)->text();
    return lines;
}

void UploadPanel::clearLog() {
    log_->clear();
}

void UploadPanel::saveLog() {
    std::optional<std::string> chosen =
        context_.prompts.chooseFileToSave("Save log", "Log files (*.log)", "");
    if (!chosen)
        return;
    std::filesystem::path file = *chosen;
    if (!file.has_extension())
        file += ".log";
    std::string text;
    for (const QString& line : logLines())
        text += line.toStdString() + "\n";
    try {
        replaceFileAtomically(file, text);
    } catch (const std::exception& error) {
        context_.prompts.showMessage("The log could not be saved to " + file.string() + ": " +
                                     error.what());
    }
}

void UploadPanel::PostLine(const std::string& line) {
    log_->addItem(QString::fromStdString(line));
    log_->scrollToBottom();
    ProcessPendingEvents();
    logGuarded("Upload log updated");
}

void UploadPanel::ClearLog() {
    log_->clear();
    logGuarded("Upload log clear");
}

void UploadPanel::SetProgressMaximum(int maximum) {
    progress_->setMaximum(std::max(maximum, 0));
    progress_->setValue(0);
}

void UploadPanel::SetProgress(int position) {
    progress_->setValue(position);
    ProcessPendingEvents();
}

void UploadPanel::ShowCurrentFile(const std::string& fileName) {
    currentFile_->setText(QString::fromStdString(fileName));
    ProcessPendingEvents();
}

void UploadPanel::TransferProgress(uint64_t bytes) {
    transfer_->setText(QString::fromStdString(TransferProgressText(bytes)));
    ProcessPendingEvents();
}

void UploadPanel::Finish() {
    setIdle("Start Uploading");
}

void UploadPanel::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

bool UploadPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::Close && running_) {
        closeWhenDone_ = true;
        stop();
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvella
