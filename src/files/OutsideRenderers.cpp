#include "files/OutsideRenderers.h"

#include <mutex>

namespace orvella {

namespace {

std::mutex& installedMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<PostScriptRenderer>& installedPostScript() {
    static std::shared_ptr<PostScriptRenderer> renderer;
    return renderer;
}

std::shared_ptr<RawPreviewWriter>& installedRaw() {
    static std::shared_ptr<RawPreviewWriter> writer;
    return writer;
}

} // namespace

void SetPostScriptRenderer(std::shared_ptr<PostScriptRenderer> renderer) {
    std::lock_guard lock(installedMutex());
    installedPostScript() = std::move(renderer);
}

std::shared_ptr<PostScriptRenderer> CurrentPostScriptRenderer() {
    std::lock_guard lock(installedMutex());
    return installedPostScript();
}

void SetRawPreviewWriter(std::shared_ptr<RawPreviewWriter> writer) {
    std::lock_guard lock(installedMutex());
    installedRaw() = std::move(writer);
}

std::shared_ptr<RawPreviewWriter> CurrentRawPreviewWriter() {
    std::lock_guard lock(installedMutex());
    return installedRaw();
}

bool PostScriptRenderingEnabled() { return CurrentPostScriptRenderer() != nullptr; }

} // namespace orvella
