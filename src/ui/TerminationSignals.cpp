#include "ui/TerminationSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orvella {

namespace {

int signalPipe[2] = {-1, -1};
std::atomic<bool> signalArrived{false};

extern "C" void onTerminationSignal(int) {
    signalArrived = true;
    char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void TerminationSignals::install() {
    if (signalPipe[0] >= 0)
        return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool TerminationSignals::requested() {
    return signalArrived;
}

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), notifier_(new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this)) {
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        emit terminationRequested();
    });
}

} // namespace orvella
