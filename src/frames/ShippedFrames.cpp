#include "ShippedFrames.h"

#include <system_error>

namespace cadrelle {

std::filesystem::path shippedFramesDirectory(const std::filesystem::path& executable) {
    const std::filesystem::path folder = executable.parent_path();
    const std::filesystem::path relative = std::filesystem::path("share") / "cadrelle" / "Frames";
    const std::filesystem::path installed = (folder.parent_path() / relative).lexically_normal();
    const std::filesystem::path buildTree = folder / relative;
    std::error_code error;
    if (!std::filesystem::is_directory(installed, error) &&
        std::filesystem::is_directory(buildTree, error)) {
        return buildTree;
    }
    return installed;
}

std::filesystem::path shippedFramesDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return shippedFramesDirectory(error ? std::filesystem::path() : executable);
}

} // namespace cadrelle
