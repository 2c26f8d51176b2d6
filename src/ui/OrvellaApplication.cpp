#include "ui/OrvellaApplication.h"

#include "stats/web/QtWebBrowser.h"

#include "shell/ErrorRecords.h"

#include <exception>

namespace orvella {

namespace {

// The hidden web engine of the earnings reader needs its switches and a shared
// graphics context before the application object exists.
int& preparedArgumentCount(int& argc) {
    prepareWebEngineEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return argc;
}

} // namespace

OrvellaApplication::OrvellaApplication(int& argc, char** argv)
    : QApplication(preparedArgumentCount(argc), argv) {}

OrvellaApplication* OrvellaApplication::instance() {
    return qobject_cast<OrvellaApplication*>(QCoreApplication::instance());
}

bool OrvellaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException(receiver);
    }
    return false;
}

void OrvellaApplication::reportCurrentException(QObject* receiver) {
    OrvellaApplication* application = instance();
    if (!application)
        return;
    try {
        throw;
    } catch (const std::exception& error) {
        application->reportError(receiver, exceptionClassName(error), error.what());
    } catch (...) {
        application->reportError(receiver, "Exception", "unknown error");
    }
}

void OrvellaApplication::setLatestStatementSource(std::function<std::string()> source) {
    latestStatement_ = std::move(source);
}

void OrvellaApplication::clearLatestStatementSource() {
    latestStatement_ = nullptr;
}

void OrvellaApplication::reportError(QObject* receiver, const std::string& errorClass,
                                     const std::string& message) {
    if (latestStatement_) {
        std::string statement;
        try {
            statement = latestStatement_();
        } catch (...) {
        }
        writeErrorRecord(errorClass, message, statement);
        return;
    }
    const char* sender = receiver ? receiver->metaObject()->className() : "nil";
    writeEarlyErrorRecord(message, errorClass, sender);
}

} // namespace orvella
