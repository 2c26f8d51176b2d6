#include "viewer/Renderers.h"

#include "files/OutsideRenderers.h"
#include "shell/IgnoredError.h"
#include "shell/Log.h"
#include "viewer/GhostScriptSandbox.h"
#include "viewer/RawBridge.h"

#include <QGuiApplication>
#include <QScreen>

#include <memory>
#include <mutex>

namespace orvella {

namespace {

std::mutex& libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<TGhostScriptLibrary>& loadedLibrary() {
    static std::unique_ptr<TGhostScriptLibrary> library;
    return library;
}

// Without its helper program the sandbox cannot start: PostScript rendering
// is then off, as without the interpreter library.
std::shared_ptr<PostScriptRenderer> createRenderer(const std::string& libraryName) {
    std::shared_ptr<PostScriptRenderer> renderer;
    ignoringErrors("StartOutsideRenderers", [&] {
        renderer = std::make_shared<TGhostScriptSandbox>(TGhostScriptSandbox::DefaultHelper(),
                                                         libraryName, ScreenBitsPerPixel());
    });
    return renderer;
}

} // namespace

int ScreenBitsPerPixel() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* screen = QGuiApplication::primaryScreen())
            return screen->depth();
    return 32;
}

bool StartOutsideRenderers(const std::string& libraryName) {
    std::lock_guard lock(libraryMutex());
    loadedLibrary() = std::make_unique<TGhostScriptLibrary>(libraryName);
    std::shared_ptr<PostScriptRenderer> renderer;
    if (loadedLibrary()->Loaded())
        renderer = createRenderer(libraryName);
    SetPostScriptRenderer(renderer);
    SetRawPreviewWriter(std::make_shared<TRawPreviewWriter>());
    logGuarded(renderer ? "GhostScript enabled" : "GhostScript disabled");
    return renderer != nullptr;
}

void StopOutsideRenderers() {
    std::lock_guard lock(libraryMutex());
    SetPostScriptRenderer(nullptr);
    SetRawPreviewWriter(nullptr);
    loadedLibrary().reset();
}

} // namespace orvella
