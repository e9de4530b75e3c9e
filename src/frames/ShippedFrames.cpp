#include "ShippedFrames.h"

#include "core/Installation.h"

namespace cadrelle {

std::filesystem::path shippedFramesDirectory(const std::filesystem::path& executable) {
    return Installation::of(executable)
        .file(std::filesystem::path("share") / "cadrelle" / "Frames");
}

std::filesystem::path shippedFramesDirectory() {
    return Installation::running().file(std::filesystem::path("share") / "cadrelle" / "Frames");
}

} // namespace cadrelle
