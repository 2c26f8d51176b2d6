#include "stats/web/QtWebBrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

#include <unistd.h>

namespace orvella {

namespace {

// What the reader may look at on a page, as one JSON text.
const char* const SnapshotScript = R"js((function(){
  function attributes(e){var a={};for(var i=0;i<e.attributes.length;i++){a[e.attributes[i].name]=e.attributes[i].value;}return a;}
  var named={},ids={},inputs=[];
  document.querySelectorAll('[name]').forEach(function(e){var n=e.getAttribute('name');(named[n]=named[n]||[]).push(attributes(e));});
  document.querySelectorAll('[id]').forEach(function(e){if(!(e.id in ids))ids[e.id]=attributes(e);});
  document.querySelectorAll('input').forEach(function(e){inputs.push(attributes(e));});
  return JSON.stringify({html:document.documentElement?document.documentElement.outerHTML:'',named:named,ids:ids,inputs:inputs});
})())js";

QString jsString(const std::string& text) {
    QByteArray array =
        QJsonDocument(QJsonArray{QString::fromStdString(text)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString elementExpression(const ElementRef& element) {
    switch (element.kind) {
    case ElementRef::Kind::ByName:
        return QString("document.getElementsByName(%1)[%2]")
            .arg(jsString(element.key))
            .arg(element.index);
    case ElementRef::Kind::ById:
        return QString("document.getElementById(%1)").arg(jsString(element.key));
    case ElementRef::Kind::Input:
        return QString("document.getElementsByTagName('input')[%1]").arg(element.index);
    }
    return "null";
}

std::string describe(const ElementRef& element) {
    switch (element.kind) {
    case ElementRef::Kind::ByName:
        return "element named " + element.key + " #" + std::to_string(element.index);
    case ElementRef::Kind::ById:
        return "element with id " + element.key;
    case ElementRef::Kind::Input:
        return "input element #" + std::to_string(element.index);
    }
    return "element";
}

} // namespace

QtWebBrowser::QtWebBrowser(QWebEngineUrlRequestInterceptor* interceptor)
    : profile_(std::make_unique<QWebEngineProfile>()),
      page_(std::make_unique<QWebEnginePage>(profile_.get())) {
    if (interceptor)
        profile_->setUrlRequestInterceptor(interceptor);
    connect(page_.get(), &QWebEnginePage::loadFinished, this, [this](bool) { takeSnapshot(); });
}

QtWebBrowser::~QtWebBrowser() {
    page_.reset(); // the page goes before its profile
}

void QtWebBrowser::setDocumentComplete(std::function<void()> handler) {
    handler_ = std::move(handler);
}

void QtWebBrowser::takeSnapshot() {
    QPointer<QtWebBrowser> self(this);
    QString address = page_->url().toString();
    page_->runJavaScript(SnapshotScript, [self, address](const QVariant& json) {
        if (self) {
            self->address_ = address.toStdString();
            self->snapshotTaken(json.toString());
        }
    });
}

void QtWebBrowser::snapshotTaken(const QString& json) {
    QJsonObject snapshot = QJsonDocument::fromJson(json.toUtf8()).object();
    html_ = snapshot.value("html").toString().toStdString();
    named_ = snapshot.value("named").toObject();
    ids_ = snapshot.value("ids").toObject();
    inputs_ = snapshot.value("inputs").toArray();
    pendingScript_.clear();
    if (handler_)
        handler_();
    if (!pendingScript_.isEmpty())
        page_->runJavaScript(pendingScript_.join('\n'));
    pendingScript_.clear();
}

// Leaving the page drops what was meant for it.
void QtWebBrowser::navigate(const std::string& address) {
    pendingScript_.clear();
    page_->load(QUrl(QString::fromStdString(address)));
}

std::string QtWebBrowser::address() {
    return address_;
}

std::string QtWebBrowser::html() {
    return html_;
}

int QtWebBrowser::inputCount() {
    return static_cast<int>(inputs_.size());
}

QJsonObject& QtWebBrowser::element(const ElementRef& element) {
    QJsonValue value;
    switch (element.kind) {
    case ElementRef::Kind::ByName:
        value = named_.value(QString::fromStdString(element.key)).toArray().at(element.index);
        break;
    case ElementRef::Kind::ById:
        value = ids_.value(QString::fromStdString(element.key));
        break;
    case ElementRef::Kind::Input:
        value = inputs_.at(element.index);
        break;
    }
    if (!value.isObject())
        throw EBrowserError("no " + describe(element) + " on the page");
    found_ = value.toObject();
    return found_;
}

std::string QtWebBrowser::attribute(const ElementRef& ref, const std::string& name) {
    return element(ref).value(QString::fromStdString(name)).toString().toStdString();
}

void QtWebBrowser::queue(const ElementRef& ref, const QString& statements) {
    element(ref); // throws for an element that is not there
    pendingScript_
        << QString("(function(){var e=%1;if(e){%2}})();").arg(elementExpression(ref), statements);
}

void QtWebBrowser::setValue(const ElementRef& ref, const std::string& value) {
    queue(ref, QString("var v=%1;e.setAttribute('value',v);e.value=v;").arg(jsString(value)));
}

void QtWebBrowser::click(const ElementRef& ref) {
    queue(ref, "e.click();");
}

std::unique_ptr<Browser> QtWebBrowsers::create() {
    return std::make_unique<QtWebBrowser>(interceptor_);
}

void QtWebBrowsers::discard(std::unique_ptr<Browser> browser) {
    static_cast<QtWebBrowser*>(browser.release())->deleteLater();
}

void prepareWebEngineEnvironment() {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags += " --disable-background-networking --disable-component-update --disable-sync"
             " --disable-domain-reliability --disable-client-side-phishing-detection"
             " --safebrowsing-disable-auto-update --metrics-recording-only --no-first-run"
             " --disable-breakpad --no-pings";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    if (geteuid() == 0) // Chromium's sandbox refuses to start as root
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

} // namespace orvella
