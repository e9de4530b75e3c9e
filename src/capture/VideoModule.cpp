#include "VideoModule.h"

#include "core/AppError.h"
#include "core/ProgramModule.h"

#include <mutex>
#include <string>

// Programs that build the engine in define this; in the others it stays null.
extern "C" __attribute__((weak)) const cadrelle::VideoEngine* cadrelle_video_engine();

namespace cadrelle {

namespace {

const VideoEngine* loadModule() {
    std::string reason;
    using Entry = const VideoEngine* (*)();
    const auto entry = reinterpret_cast<Entry>(
        ProgramModule::entry("libcadrelle-video.so", "cadrelle_video_engine", reason));
    if (entry == nullptr) {
        throw AppError("Recordings can't be framed because Cadrelle's video support couldn't be "
                       "loaded: " +
                       reason);
    }
    return entry();
}

} // namespace

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
