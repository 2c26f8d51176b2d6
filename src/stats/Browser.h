#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace orvella {

// A failure inside a page: an element that is not there, a script that did
// not answer. The earnings reader decides per agency what such a failure means.
class EBrowserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Which element of the shown document an operation acts on.
struct ElementRef {
    enum class Kind { ByName, ById, Input };
    Kind kind = Kind::ByName;
    std::string key; // the name or the id; unused for Input
    int index = 0;   // the n-th element of that name, or the n-th "input" element

    static ElementRef named(std::string name, int index = 0) {
        return {Kind::ByName, std::move(name), index};
    }
    static ElementRef withId(std::string id) { return {Kind::ById, std::move(id), 0}; }
    static ElementRef input(int index) { return {Kind::Input, {}, index}; }
};

// One hidden web browser: the handful of page operations the earnings reader
// needs. Every operation acts on the document shown when it is called; an
// element that is not there throws EBrowserError.
class Browser {
public:
    virtual ~Browser() = default;

    // Called for every page or frame that finishes loading.
    virtual void setDocumentComplete(std::function<void()> handler) = 0;
    virtual void navigate(const std::string& address) = 0;
    virtual std::string address() = 0;
    virtual std::string html() = 0;

    virtual int inputCount() = 0;
    virtual std::string attribute(const ElementRef& element, const std::string& name) = 0;
    virtual void setValue(const ElementRef& element, const std::string& value) = 0;
    virtual void click(const ElementRef& element) = 0;
};

// Makes browsers and takes them back. A browser is handed back from inside its
// own notification, so the factory must not destroy it before that returns.
class BrowserFactory {
public:
    virtual ~BrowserFactory() = default;
    virtual std::unique_ptr<Browser> create() = 0;
    virtual void discard(std::unique_ptr<Browser> browser) = 0;
};

} // namespace orvella
