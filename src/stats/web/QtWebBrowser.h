#pragma once

#include "stats/Browser.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <memory>

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineUrlRequestInterceptor;

namespace orvella {

// A hidden Qt WebEngine page behind the Browser interface. Each browser has
// its own off-the-record profile, so nothing of one agency's session (cookies,
// cache) reaches another or outlives the run.
//
// The engine answers scripts only from its own event loop, never to a caller
// waiting in a nested one. So when a page finishes, one script takes a
// snapshot of what the reader may look at (address, HTML, the elements with a
// name or an id, the input elements), the handler reads that snapshot, and the
// values it sets and the clicks it makes run as one script after it returns.
class QtWebBrowser : public QObject, public Browser {
    Q_OBJECT
public:
    explicit QtWebBrowser(QWebEngineUrlRequestInterceptor* interceptor = nullptr);
    ~QtWebBrowser() override;

    void setDocumentComplete(std::function<void()> handler) override;
    void navigate(const std::string& address) override;
    std::string address() override;
    std::string html() override;
    int inputCount() override;
    std::string attribute(const ElementRef& element, const std::string& name) override;
    void setValue(const ElementRef& element, const std::string& value) override;
    void click(const ElementRef& element) override;

private:
    void takeSnapshot();
    void snapshotTaken(const QString& json);
    QJsonObject& element(const ElementRef& element);
    void queue(const ElementRef& element, const QString& statements);

    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<QWebEnginePage> page_;
    std::function<void()> handler_;
    std::string address_;
    std::string html_;
    QJsonObject named_; // name -> array of attribute objects, in document order
    QJsonObject ids_;   // id -> attribute object
    QJsonArray inputs_; // attribute objects of the input elements
    QJsonObject found_; // the element last looked up, copied out of the snapshot
    QStringList pendingScript_;
};

// Browsers for the earnings reader. A discarded browser is deleted once the
// event loop is back, never from inside its own notification.
class QtWebBrowsers : public BrowserFactory {
public:
    explicit QtWebBrowsers(QWebEngineUrlRequestInterceptor* interceptor = nullptr)
        : interceptor_(interceptor) {}
    std::unique_ptr<Browser> create() override;
    void discard(std::unique_ptr<Browser> browser) override;

private:
    QWebEngineUrlRequestInterceptor* interceptor_;
};

// Chromium's switches for a hidden browser that talks to the agencies' sites
// and nothing else: no background networking, component updates, safe-browsing
// look-ups or metrics. Call before the application object is made.
void prepareWebEngineEnvironment();

} // namespace orvella
