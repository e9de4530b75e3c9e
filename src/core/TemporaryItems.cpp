#include "TemporaryItems.h"

#include "FileIO.h"
#include "LockFile.h"

#include <map>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

struct Claim {
    std::optional<LockFile> lock; // none when the lock could not be had
    bool withSubfolders = false;
};

// This process's claims, by resolved folder path.
struct Claims {
    std::mutex lock;
    std::map<fs::path, Claim> folders;

    bool covers(const fs::path& folder) const {
        if (folders.contains(folder)) {
            return true;
        }
        for (auto parent = folder.parent_path(); !parent.empty(); parent = parent.parent_path()) {
            const auto found = folders.find(parent);
            if (found != folders.end() && found->second.withSubfolders) {
                return true;
            }
            if (parent == parent.parent_path()) {
                break;
            }
        }
        return false;
    }
};

Claims& claims() {
    static Claims instance;
    return instance;
}

bool isOwnTemporaryItem(const fs::path& item) {
    struct stat attributes {};
    return isTemporaryItemName(item.filename().string()) &&
           ::lstat(item.c_str(), &attributes) == 0 && attributes.st_uid == ::geteuid();
}

bool isRealFolder(const fs::path& item) {
    std::error_code error;
    return fs::symlink_status(item, error).type() == fs::file_type::directory;
}

void removeOwnTemporaryItems(const fs::path& folder, bool withSubfolders) {
    std::error_code error;
    for (fs::directory_iterator entries(folder, error), end; !error && entries != end;
         entries.increment(error)) {
        const auto& item = entries->path();
        if (isOwnTemporaryItem(item)) {
            removeQuietly(item);
        } else if (withSubfolders && isRealFolder(item)) {
            removeOwnTemporaryItems(item, false);
        }
    }
}

} // namespace

void claimTemporaryFolder(const fs::path& folder, bool withSubfolders) noexcept {
    try {
        const auto resolved = resolvedPath(folder);
        Claims& all = claims();
        const std::lock_guard guard(all.lock);
        if (all.covers(resolved)) {
            return;
        }
        Claim claim{std::nullopt, withSubfolders};
        const auto file = LockFile::forFolder("temporary", resolved);
        claim.lock = LockFile::take(file, LockFile::Mode::exclusive, nullptr);
        if (claim.lock) {
            removeOwnTemporaryItems(resolved, withSubfolders);
            if (!claim.lock->share(patienceOf(kLockWait))) {
                claim.lock.reset();
            }
        } else {
            claim.lock = LockFile::take(file, LockFile::Mode::shared, patienceOf(kLockWait));
            removeStaleTemporaryItems(resolved);
        }
        all.folders.emplace(resolved, std::move(claim));
    } catch (...) {
        // Without a claim the day-old rule still tidies up.
    }
}

} // namespace cadrelle
