#include "CaptureFolderLock.h"

#include "core/AppError.h"
#include "core/FileDescriptor.h"

#include <fcntl.h>

namespace cadrelle {

CaptureFolderLock::CaptureFolderLock(const std::filesystem::path& folder) {
    // Only checks that the folder can be read; the descriptor is not kept.
    if (!FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)).isOpen()) {
        throw AppError("Cannot access the screenshot folder. Choose it again in Settings.");
    }
    try {
        lock_ = LockFile::take(LockFile::forFolder("watching", folder), LockFile::Mode::exclusive,
                               nullptr);
    } catch (const std::exception& error) {
        throw AppError("Couldn't reserve the screenshot folder: " + userDescription(error));
    }
    if (!lock_) {
        throw AppError("Another copy of Cadrelle is already watching this folder. Quit the "
                       "other copy (including debug builds), then reopen Cadrelle.");
    }
}

} // namespace cadrelle
