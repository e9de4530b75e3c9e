#include "VideoModule.h"

#include "core/AppError.h"
#include "core/Installation.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

// Programs that build the engine in define this; in the others it stays null.
extern "C" __attribute__((weak)) const cadrelle::VideoEngine* cadrelle_video_engine();

namespace cadrelle {

namespace {

const char* const kEntry = "cadrelle_video_engine";

const VideoEngine* loadModule() {
    const auto path = videoModulePath(Installation::running());
    // Never closed: the engine's code must stay for the rest of the run.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    using Entry = const VideoEngine* (*)();
    Entry entry = nullptr;
    if (module != nullptr) {
        entry = reinterpret_cast<Entry>(dlsym(module, kEntry));
    }
    if (entry == nullptr) {
        const char* reason = dlerror();
        throw AppError("Recordings can't be framed because Cadrelle's video support couldn't be "
                       "loaded: " +
                       std::string(reason != nullptr ? reason : path.string()));
    }
    return entry();
}

} // namespace

std::filesystem::path videoModulePath(const Installation& installation) {
    return installation.file(std::filesystem::path("lib") / "cadrelle" / "libcadrelle-video.so");
}

const VideoEngine& videoEngine() {
    if (&cadrelle_video_engine != nullptr) {
        return *cadrelle_video_engine();
    }
    static std::mutex lock;
    static const VideoEngine* loaded = nullptr;
    const std::lock_guard guard(lock);
    if (loaded == nullptr) {
        loaded = loadModule();
    }
    return *loaded;
}

} // namespace cadrelle
