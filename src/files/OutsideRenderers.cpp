#include "files/OutsideRenderers.h"

#include <mutex>

namespace orvella {

namespace {

// One installed converter of each kind, read and replaced from any thread.
template <typename Converter> class Installed {
public:
    static void Set(std::shared_ptr<Converter> converter) {
        std::lock_guard lock(mutex());
        slot() = std::move(converter);
    }
    static std::shared_ptr<Converter> Get() {
        std::lock_guard lock(mutex());
        return slot();
    }

private:
    static std::mutex& mutex() {
        static std::mutex guard;
        return guard;
    }
    static std::shared_ptr<Converter>& slot() {
        static std::shared_ptr<Converter> installed;
        return installed;
    }
};

} // namespace

void SetPostScriptRenderer(std::shared_ptr<PostScriptRenderer> renderer) {
    Installed<PostScriptRenderer>::Set(std::move(renderer));
}

std::shared_ptr<PostScriptRenderer> CurrentPostScriptRenderer() {
    return Installed<PostScriptRenderer>::Get();
}

void SetRawPreviewWriter(std::shared_ptr<RawPreviewWriter> writer) {
    Installed<RawPreviewWriter>::Set(std::move(writer));
}

std::shared_ptr<RawPreviewWriter> CurrentRawPreviewWriter() {
    return Installed<RawPreviewWriter>::Get();
}

bool PostScriptRenderingEnabled() {
    return CurrentPostScriptRenderer() != nullptr;
}

} // namespace orvella
