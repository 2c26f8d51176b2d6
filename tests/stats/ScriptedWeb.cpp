#include "ScriptedWeb.h"

#include <algorithm>

namespace orvella::test {

std::unique_ptr<Browser> ScriptedBrowsers::create() {
    ++created;
    ++live;
    auto browser = std::make_unique<ScriptedBrowser>(web_, *this);
    liveBrowsers_.push_back(browser.get());
    return browser;
}

void ScriptedBrowsers::discard(std::unique_ptr<Browser> browser) {
    browser.reset();
}

void ScriptedBrowsers::deliver(int limit) {
    while (!loads_.empty() && limit-- > 0) {
        ScriptedBrowser* browser = loads_.front();
        loads_.pop_front();
        browser->complete();
    }
}

ScriptedBrowser::~ScriptedBrowser() {
    --owner_.live;
    auto& loads = owner_.loads_;
    loads.erase(std::remove(loads.begin(), loads.end(), this), loads.end());
}

void ScriptedBrowser::navigate(const std::string& address) {
    address_ = address;
    web_.visits.push_back(address);
    auto found = web_.pages.find(address);
    current_ =
        found == web_.pages.end() ? WebPage{"<html>Not found</html>", {}, {}} : found->second;
    owner_.queueLoad(this);
}

WebPage& ScriptedBrowser::page() {
    return current_;
}

WebElement& ScriptedBrowser::find(const ElementRef& element) {
    int seen = 0;
    for (WebElement& candidate : current_.elements) {
        bool matches = false;
        switch (element.kind) {
        case ElementRef::Kind::ByName:
            matches = candidate.name == element.key;
            break;
        case ElementRef::Kind::ById:
            matches = candidate.id == element.key;
            break;
        case ElementRef::Kind::Input:
            matches = candidate.tag == "input";
            break;
        }
        if (matches && (element.kind == ElementRef::Kind::ById || seen++ == element.index))
            return candidate;
    }
    throw EBrowserError("no such element");
}

int ScriptedBrowser::inputCount() {
    return static_cast<int>(std::count_if(current_.elements.begin(), current_.elements.end(),
                                          [](const WebElement& e) { return e.tag == "input"; }));
}

std::string ScriptedBrowser::attribute(const ElementRef& element, const std::string& name) {
    const WebElement& found = find(element);
    auto value = found.attributes.find(name);
    return value == found.attributes.end() ? std::string() : value->second;
}

void ScriptedBrowser::setValue(const ElementRef& element, const std::string& value) {
    find(element).attributes["value"] = value;
}

void ScriptedBrowser::click(const ElementRef& element) {
    if (!find(element).submits)
        return;
    ScriptedWeb::Post post{address_, {}};
    for (const WebElement& field : current_.elements)
        if (field.tag == "input" && !field.submits)
            post.values[field.name.empty() ? field.id : field.name] =
                field.attributes.count("value") ? field.attributes.at("value") : std::string();
    web_.posts.push_back(post);
    navigate(current_.afterSubmit);
}

} // namespace orvella::test
