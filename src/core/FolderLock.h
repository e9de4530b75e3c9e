#pragma once

#include "core/FileDescriptor.h"

#include <filesystem>

namespace cadrelle {

// An exclusive advisory lock (flock) on an existing folder, held through an
// open descriptor of the folder while this object lives: writers of one folder,
// in this process or others, take turns. Waits until the lock is free; throws
// FileError when the folder cannot be opened or locked.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder);
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    FileDescriptor descriptor_;
};

} // namespace cadrelle
