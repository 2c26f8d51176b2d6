#include "ui/pages/BackgroundCommand.h"

#include "catalogue/StockDB.h"
#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "shell/Progress.h"
#include "shell/Prompts.h"
#include "ui/WindowContext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <thread>

namespace orvella {

namespace {

// Runs call on the window thread and waits for its result.
template <class Call> auto onWindowThread(Call call) {
    decltype(call()) result{};
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

class WindowThreadPrompts : public Prompts {
public:
    explicit WindowThreadPrompts(Prompts& window) : window_(window) {}

    void showMessage(const std::string& text) override {
        onWindowThread([&] {
            window_.showMessage(text);
            return true;
        });
    }
    bool confirm(const std::string& text) override {
        return onWindowThread([&] { return window_.confirm(text); });
    }
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
        return onWindowThread([&] { return window_.askText(caption, prompt, initial); });
    }
    std::optional<std::string> askPassword(const std::string& caption,
                                           const std::string& prompt) override {
        return onWindowThread([&] { return window_.askPassword(caption, prompt); });
    }
    std::optional<std::string> chooseFileToOpen(const std::string& caption,
                                                const std::string& filter) override {
        return onWindowThread([&] { return window_.chooseFileToOpen(caption, filter); });
    }
    std::vector<std::string> chooseFilesToOpen(const std::string& caption,
                                               const std::string& filter) override {
        return onWindowThread([&] { return window_.chooseFilesToOpen(caption, filter); });
    }
    std::optional<std::string> chooseFileToSave(const std::string& caption,
                                                const std::string& filter,
                                                const std::string& suggestedName) override {
        return onWindowThread(
            [&] { return window_.chooseFileToSave(caption, filter, suggestedName); });
    }
    std::optional<std::string> chooseFolder(const std::string& caption,
                                            const std::string& initialFolder) override {
        return onWindowThread([&] { return window_.chooseFolder(caption, initialFolder); });
    }

private:
    Prompts& window_;
};

// The window's progress window, moved from the command's thread. The calls
// are queued in order, so the window closes before the command is reported
// finished.
class WindowThreadProgress : public Progress {
public:
    explicit WindowThreadProgress(Progress& window) : window_(window) {}

protected:
    void showWindow(int maximum) override {
        post([this, maximum] { window_.open(maximum); });
    }
    void setPosition(int position) override {
        post([this, position] { window_.step(position); });
    }
    void hideWindow() override {
        post([this] { window_.close(); });
    }

private:
    template <class Call> void post(Call call) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::QueuedConnection);
    }
    Progress& window_;
};

} // namespace

void runOffWindowThread(WindowContext& context,
                        const std::function<void(KeywordTools&, ImageInfoEditor&)>& command) {
    WindowThreadPrompts prompts(context.prompts);
    WindowThreadProgress progress(context.progress);
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            TStockDBObject catalogue(context.connection);
            catalogue.SetOptions(&context.options);
            catalogue.SetPrompts(&prompts);
            catalogue.SetProgress(&progress);
            ImageInfoEditor editor(catalogue, &context.options);
            KeywordTools tools(editor, prompts, progress);
            command(tools, editor);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace orvella
