#pragma once

#include "core/FileDescriptor.h"

#include <filesystem>

namespace cadrelle {

// An exclusive advisory lock (flock) on a capture folder, held through an open
// descriptor of the folder. Closing the descriptor releases it, so a second
// locker anywhere fails at once while this object lives.
class CaptureFolderLock {
public:
    // Throws "Cannot access the screenshot folder. Choose it again in
    // Settings." when the folder cannot be opened, "Another copy of Cadrelle
    // is already watching this folder. …" when another holder has it, and
    // "Couldn't reserve the screenshot folder: " + system text otherwise.
    explicit CaptureFolderLock(const std::filesystem::path& folder);
    CaptureFolderLock(const CaptureFolderLock&) = delete;
    CaptureFolderLock& operator=(const CaptureFolderLock&) = delete;

    int descriptor() const { return descriptor_.get(); }

private:
    FileDescriptor descriptor_;
};

} // namespace cadrelle
