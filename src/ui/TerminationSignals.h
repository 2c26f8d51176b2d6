#pragma once

#include <QObject>

class QSocketNotifier;

namespace orvella {

// SIGTERM and SIGINT, turned into a Qt signal on the window thread: the
// handler only writes a byte to a pipe that the event loop watches.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; safe to call before the application object exists.
    static void install();
    // Starts watching the pipe (needs the application object).
    explicit TerminationSignals(QObject* parent = nullptr);

    // True once a signal has arrived, even before the event loop ran.
    static bool requested();

signals:
    void terminationRequested();

private:
    QSocketNotifier* notifier_;
};

} // namespace orvella
