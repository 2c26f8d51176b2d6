#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>

class QLocalServer;

namespace orvella {

// One copy per user: a lock file in the runtime folder, and a local server
// through which a later copy asks the running one to show its window. A lock
// left behind by a crashed copy is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const std::filesystem::path& runtimeFolder);
    ~SingleInstance() override;

    // True when this process is now the only copy; needs no event loop.
    bool acquire();
    // Starts listening for later copies (needs the application object).
    void listen();
    // From a later copy: asks the running one to restore and raise its window,
    // and to open the folder when one is given.
    bool askRunningCopyToActivate(const QString& folder = {}, int timeoutMs = 3000) const;

signals:
    // folder is empty when the later copy named none.
    void activationRequested(const QString& folder);

private:
    void handleRequest(const QByteArray& request);

    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace orvella
