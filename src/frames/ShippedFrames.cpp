#include "ShippedFrames.h"

#include "core/ProgramFiles.h"

namespace cadrelle {

std::filesystem::path shippedFramesDirectory(const std::filesystem::path& executable) {
    return programFile(executable, std::filesystem::path("share") / "cadrelle" / "Frames");
}

std::filesystem::path shippedFramesDirectory() {
    return shippedFramesDirectory(runningExecutable());
}

} // namespace cadrelle
