#pragma once

#include "stats/Browser.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvella::test {

// An element of a scripted page.
struct WebElement {
    std::string tag = "input";
    std::string name;
    std::string id;
    std::map<std::string, std::string> attributes;
    bool submits = false; // clicking it posts the form
};

// A scripted page: its HTML, its elements, and where posting its form leads.
struct WebPage {
    std::string html;
    std::vector<WebElement> elements;
    std::string afterSubmit;
};

// Pages by address, and every form posted to them. Shared by all browsers.
class ScriptedWeb {
public:
    std::map<std::string, WebPage> pages;
    struct Post {
        std::string address;
        std::map<std::string, std::string> values; // element name or id -> value
    };
    std::vector<Post> posts;
    std::vector<std::string> visits;
};

class ScriptedBrowser;

// Makes scripted browsers; page loads are queued and delivered by deliver(),
// as a real browser delivers them later from its event loop.
class ScriptedBrowsers : public BrowserFactory {
public:
    explicit ScriptedBrowsers(ScriptedWeb& web) : web_(web) {}
    std::unique_ptr<Browser> create() override;
    void discard(std::unique_ptr<Browser> browser) override;

    void queueLoad(ScriptedBrowser* browser) { loads_.push_back(browser); }
    // Delivers queued page loads until none is left (or `limit` were delivered).
    void deliver(int limit = 1000);

    int created = 0;
    int live = 0;

private:
    ScriptedWeb& web_;
    std::deque<ScriptedBrowser*> loads_;
    std::vector<ScriptedBrowser*> liveBrowsers_;
    friend class ScriptedBrowser;
};

class ScriptedBrowser : public Browser {
public:
    ScriptedBrowser(ScriptedWeb& web, ScriptedBrowsers& owner) : web_(web), owner_(owner) {}
    ~ScriptedBrowser() override;

    void setDocumentComplete(std::function<void()> handler) override {
        handler_ = std::move(handler);
    }
    void navigate(const std::string& address) override;
    std::string address() override { return address_; }
    std::string html() override { return page().html; }
    int inputCount() override;
    std::string attribute(const ElementRef& element, const std::string& name) override;
    void setValue(const ElementRef& element, const std::string& value) override;
    void click(const ElementRef& element) override;

    void complete() {
        if (handler_)
            handler_();
    }

private:
    WebPage& page();
    WebElement& find(const ElementRef& element);

    ScriptedWeb& web_;
    ScriptedBrowsers& owner_;
    std::function<void()> handler_;
    std::string address_;
    WebPage current_;
};

} // namespace orvella::test
