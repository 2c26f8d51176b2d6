#include "shell/SingleInstance.h"

#include "shell/Version.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace orvella {

namespace fs = std::filesystem;

namespace {
const QByteArray kActivateRequest = "activate\n";

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
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().startsWith(kActivateRequest.trimmed()))
                    emit activationRequested();
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
}

// The running copy may still be starting and not listen yet, so connecting is
// retried until the time is up.
bool SingleInstance::askRunningCopyToActivate(int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(200)) {
            socket.write(kActivateRequest);
            bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace orvella
