#pragma once

#include "core/AppError.h"
#include "core/FileDescriptor.h"

#include <filesystem>

namespace cadrelle {

// Another process of this user holds the lock: the application already runs.
class AlreadyRunning : public AppError {
public:
    AlreadyRunning();
};

// Keeps a second copy of the application from starting on the same data
// folder: an exclusive advisory lock (flock) on the lock file, held while this
// object lives and dropped by the system when the process ends. The file
// itself stays.
class InstanceLock {
public:
    // Creates the file's folder and the file (mode 0600) when missing and
    // takes the lock without waiting. Throws AlreadyRunning when another
    // descriptor holds it, FileError when the folder or file can't be made.
    explicit InstanceLock(const std::filesystem::path& file);
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    FileDescriptor fd_;
};

} // namespace cadrelle
