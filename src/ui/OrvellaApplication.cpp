#include "ui/OrvellaApplication.h"

#include "stats/web/QtWebBrowser.h"

#include "shell/ErrorRecords.h"
#include "shell/Version.h"

#include <QIcon>

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

// The names the desktop knows the program by, and its icon: the installed
// theme icon when there is one, else the drawing built into the program.
OrvellaApplication::OrvellaApplication(int& argc, char** argv)
    : QApplication(preparedArgumentCount(argc), argv) {
    // The display name falls back to this; set on its own it would be
    // appended to every window caption ("Orvella 1.5 - Orvella").
    setApplicationName(kApplicationTitle);
    setApplicationVersion(kProductVersion);
    setDesktopFileName(kDesktopFileName);
    setWindowIcon(QIcon::fromTheme(kDesktopFileName, QIcon(":/orvella/icons/orvella.svg")));
}

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
