#pragma once

#include "core/LockFile.h"

#include <filesystem>
#include <string>

namespace cadrelle {

// An exclusive lock for the writers of one folder, in this process or
// others, held while this object lives: they take turns. The lock is a lock
// file of the user's private state folder named from the folder's resolved
// path, never the folder itself, which other users may be able to open.
class FolderLock {
public:
    // Waits while another holder has the lock, as long as `patience` allows,
    // then throws AppError `busyMessage`. Throws FileError when the lock file
    // cannot be made.
    FolderLock(const std::filesystem::path& folder, const std::string& busyMessage,
               const LockPatience& patience = patienceOf(kLockWait));
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    LockFile lock_;
};

} // namespace cadrelle
