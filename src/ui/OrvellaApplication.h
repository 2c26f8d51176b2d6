#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace orvella {

// The application object. Every event passes through notify(), so an
// exception escaping any event handler ends here: it is written to the log
// and never shown to the user.
class OrvellaApplication : public QApplication {
    Q_OBJECT
public:
    OrvellaApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Once the data module exists, error records quote the latest SQL
    // statement; before that they name the object that received the event.
    void setLatestStatementSource(std::function<std::string()> source);
    void clearLatestStatementSource();

    static OrvellaApplication* instance();

    // Writes the exception being handled as the event loop would: for errors
    // caught where stopping would do more harm than going on.
    static void reportCurrentException(QObject* receiver);

private:
    void reportError(QObject* receiver, const std::string& errorClass, const std::string& message);

    std::function<std::string()> latestStatement_;
};

} // namespace orvella
