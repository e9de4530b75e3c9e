#pragma once

#include "core/LockFile.h"

#include <filesystem>
#include <optional>

namespace cadrelle {

// Keeps two copies of the program from watching one capture folder: an
// exclusive lock on a lock file of the user's private state folder named
// from the folder's resolved path (see LockFile.h). The capture folder itself
// is never locked, so nobody else who can open it can stop the watcher.
// Dropping this object releases the lock, so a second locker anywhere fails
// at once while it lives.
class CaptureFolderLock {
public:
    // Throws "Cannot access the screenshot folder. Choose it again in
    // Settings." when the folder cannot be opened, "Another copy of Cadrelle
    // is already watching this folder. …" when another holder has it, and
    // "Couldn't reserve the screenshot folder: " + the failure otherwise.
    explicit CaptureFolderLock(const std::filesystem::path& folder);
    CaptureFolderLock(const CaptureFolderLock&) = delete;
    CaptureFolderLock& operator=(const CaptureFolderLock&) = delete;

private:
    std::optional<LockFile> lock_;
};

} // namespace cadrelle
