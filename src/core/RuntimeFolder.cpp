#include "RuntimeFolder.h"

#include "core/AppError.h"
#include "core/FileIO.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {

namespace {

std::filesystem::path environmentFolder(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0' || value[0] != '/') {
        return {};
    }
    return value;
}

// Makes `folder` (its parents as needed) and sets it to 0700, whatever the
// umask, if it is the user's own; true when it is then private.
bool makePrivate(const std::filesystem::path& folder) {
    try {
        createDirectories(folder.parent_path());
    } catch (const std::exception&) {
        return false;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return false;
    }
    if ((status.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        return false;
    }
    return isPrivateFolder(folder);
}

} // namespace

bool isPrivateFolder(const std::filesystem::path& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

std::filesystem::path privateRuntimeFolder() {
    // The session's own folder is used as it is, never made or changed.
    if (const auto runtime = environmentFolder("XDG_RUNTIME_DIR");
        !runtime.empty() && isPrivateFolder(runtime)) {
        return runtime;
    }
    const std::string user = std::to_string(::geteuid());
    std::error_code ignored;
    const std::filesystem::path temporary =
        std::filesystem::temp_directory_path(ignored) / ("cadrelle-" + user);
    if (!ignored && makePrivate(temporary)) {
        return temporary;
    }
    // Another user may have made the temporary one first; nobody else can
    // make folders in the user's home.
    std::filesystem::path cache = environmentFolder("XDG_CACHE_HOME");
    if (cache.empty() && !environmentFolder("HOME").empty()) {
        cache = environmentFolder("HOME") / ".cache";
    }
    if (!cache.empty() && makePrivate(cache / "Lumivane" / "Runtime")) {
        return cache / "Lumivane" / "Runtime";
    }
    throw AppError("Cadrelle couldn't find a private folder for its sockets. Set XDG_RUNTIME_DIR "
                   "to a folder only you can open (mode 0700).");
}

} // namespace cadrelle
