#include "Installation.h"

#include <algorithm>
#include <system_error>

namespace cadrelle {

namespace fs = std::filesystem;

bool Installation::isVersionName(std::string_view name) {
    const auto allowed = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c == '.' || c == '_' || c == '+' || c == '-';
    };
    return !name.empty() && name.size() <= 64 && name.front() != '.' && name != "current" &&
           std::all_of(name.begin(), name.end(), allowed);
}

Installation Installation::of(const fs::path& executable, std::string_view builtVersion) {
    Installation installation;
    installation.executable = executable;
    installation.version = builtVersion;
    installation.launcher = executable;
    const fs::path bin = executable.parent_path();
    const fs::path versionFolder = bin.parent_path();
    const fs::path versions = versionFolder.parent_path();
    const std::string folderName = versionFolder.filename().string();
    if (executable.filename() != "cadrelle" || bin.filename() != "bin" ||
        !isVersionName(folderName) || versions.filename() != "cadrelle" ||
        versions.parent_path().filename() != "lib") {
        return installation;
    }
    installation.versions = versions;
    installation.prefix = versions.parent_path().parent_path();
    installation.version = folderName;
    const fs::path launcher = installation.prefix / "bin" / "cadrelle";
    std::error_code error;
    if (fs::exists(launcher, error)) {
        installation.launcher = launcher;
    }
    return installation;
}

const Installation& Installation::running() {
    static const Installation installation = [] {
        std::error_code error;
        const fs::path executable = fs::read_symlink("/proc/self/exe", error);
        return of(error ? fs::path() : executable);
    }();
    return installation;
}

fs::path Installation::file(const fs::path& relative) const {
    if (isVersioned()) {
        return versions / version / relative;
    }
    const fs::path folder = executable.parent_path();
    const fs::path installed = (folder.parent_path() / relative).lexically_normal();
    const fs::path buildTree = folder / relative;
    std::error_code error;
    if (!fs::exists(installed, error) && fs::exists(buildTree, error)) {
        return buildTree;
    }
    return installed;
}

} // namespace cadrelle
