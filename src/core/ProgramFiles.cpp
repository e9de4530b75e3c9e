#include "ProgramFiles.h"

#include <system_error>

namespace cadrelle {

std::filesystem::path runningExecutable() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable;
}

std::filesystem::path programFile(const std::filesystem::path& executable,
                                  const std::filesystem::path& relative) {
    const std::filesystem::path folder = executable.parent_path();
    const std::filesystem::path installed = (folder.parent_path() / relative).lexically_normal();
    const std::filesystem::path buildTree = folder / relative;
    std::error_code error;
    if (!std::filesystem::exists(installed, error) && std::filesystem::exists(buildTree, error)) {
        return buildTree;
    }
    return installed;
}

} // namespace cadrelle
