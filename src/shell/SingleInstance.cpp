#include "shell/SingleInstance.h"

#include "shell/Version.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <memory>

namespace orvella {

namespace fs = std::filesystem;

namespace {
// A request is one line, "activate", and with a folder a second line
// "folder <path>"; it is complete when the later copy disconnects.
const QByteArray kActivateRequest = "activate\n";
const QByteArray kFolderLine = "folder ";

QByteArray activateRequest(const QString& folder) {
    return folder.isEmpty() ? kActivateRequest
                            : kActivateRequest + kFolderLine + folder.toUtf8() + '\n';
}

QString pathIn(const fs::path& folder, const std::string& name) {
    return QString::fromStdString((folder / name).string());
}
} // namespace

SingleInstance::SingleInstance(const fs::path& runtimeFolder)
    : serverName_(pathIn(runtimeFolder, std::string(kSingleInstanceName) + ".socket")),
      lock_(pathIn(runtimeFolder, std::string(kSingleInstanceName) + ".lock")) {
    fs::create_directories(runtimeFolder);
    lock_.setStaleLockTime(0); // held for the whole run; only a dead holder makes it stale
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close();
}

bool SingleInstance::acquire() {
    return lock_.tryLock(0);
}

void SingleInstance::listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverName_); // a socket file left by a crashed copy
    server_->listen(serverName_);
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            auto request = std::make_shared<QByteArray>();
            connect(client, &QLocalSocket::readyRead, this,
                    [client, request] { *request += client->readAll(); });
            connect(client, &QLocalSocket::disconnected, this, [this, client, request] {
                *request += client->readAll();
                client->deleteLater();
                handleRequest(*request);
            });
        }
    });
}

void SingleInstance::handleRequest(const QByteArray& request) {
    QList<QByteArray> lines = request.split('\n');
    if (lines.value(0) + '\n' != kActivateRequest)
        return;
    QByteArray folderLine = lines.value(1);
    emit activationRequested(folderLine.startsWith(kFolderLine)
                                 ? QString::fromUtf8(folderLine.mid(kFolderLine.size()))
                                 : QString());
}

// The running copy may still be starting and not listen yet, so connecting is
// retried until the time is up.
bool SingleInstance::askRunningCopyToActivate(const QString& folder, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(200)) {
            socket.write(activateRequest(folder));
            bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(1000);
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace orvella
