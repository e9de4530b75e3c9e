#include "PrivateFolder.h"

#include "AppError.h"
#include "FileError.h"
#include "FileIO.h"

#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kOthersBits = S_IRWXG | S_IRWXO;

// Creates the missing folders of `folder`, each 0700.
void createPrivateFolders(const fs::path& folder) {
    struct stat attributes {};
    if (::stat(folder.c_str(), &attributes) == 0) {
        return;
    }
    if (errno != ENOENT) {
        throwFileError(folder);
    }
    const auto parent = folder.parent_path();
    if (!parent.empty() && parent != folder) {
        createPrivateFolders(parent);
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throwFileError(folder);
    }
}

// Takes group and other permissions away from one item of this user; links
// and items of others stay as they are.
void tighten(const fs::path& item) {
    struct stat attributes {};
    if (::lstat(item.c_str(), &attributes) != 0 || S_ISLNK(attributes.st_mode) ||
        attributes.st_uid != ::geteuid() || (attributes.st_mode & kOthersBits) == 0) {
        return;
    }
    if (::chmod(item.c_str(), attributes.st_mode & S_IRWXU) != 0) {
        throwFileError(item);
    }
}

struct PrivateFolders {
    std::mutex lock;
    std::set<fs::path> folders; // resolved paths
};

PrivateFolders& privateFolders() {
    static PrivateFolders instance;
    return instance;
}

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

} // namespace

void makePrivateFolder(const fs::path& folder) {
    createPrivateFolders(folder);
    struct stat attributes {};
    if (::stat(folder.c_str(), &attributes) != 0) {
        throwFileError(folder);
    }
    if (!S_ISDIR(attributes.st_mode)) {
        throw FileError(folder, ENOTDIR);
    }
    if (attributes.st_uid != ::geteuid()) {
        throw AppError(folder.string() + ": This folder belongs to another user.");
    }
    if ((attributes.st_mode & kOthersBits) != 0 &&
        ::chmod(folder.c_str(), attributes.st_mode & S_IRWXU) != 0) {
        throwFileError(folder);
    }
    // Links are not followed: what they point to is not this folder's.
    std::error_code error;
    for (fs::recursive_directory_iterator
             entries(folder, fs::directory_options::skip_permission_denied, error),
         end;
         !error && entries != end; entries.increment(error)) {
        tighten(entries->path());
    }
    registerPrivateFolder(folder);
}

void registerPrivateFolder(const fs::path& folder) {
    PrivateFolders& all = privateFolders();
    const auto resolved = resolvedPath(folder);
    const std::lock_guard guard(all.lock);
    all.folders.insert(resolved);
}

bool isInPrivateFolder(const fs::path& path) {
    PrivateFolders& all = privateFolders();
    {
        const std::lock_guard guard(all.lock);
        if (all.folders.empty()) {
            return false;
        }
    }
    const auto resolved = resolvedPath(path.empty() ? fs::path(".") : path);
    const std::lock_guard guard(all.lock);
    for (auto folder = resolved;; folder = folder.parent_path()) {
        if (all.folders.contains(folder)) {
            return true;
        }
        if (folder == folder.parent_path()) {
            return false;
        }
    }
}

fs::path defaultDataFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return fs::path(data.toStdString()) / "Lumivane";
}

fs::path privateStateFolder() {
    fs::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME");
        state != nullptr && fs::path(state).is_absolute()) {
        base = state;
    } else {
        base = homeFolder() / ".local" / "state";
    }
    const auto folder = base / "cadrelle";
    makePrivateFolder(folder);
    return folder;
}

} // namespace cadrelle
