#include "CaptureFolderLock.h"

#include "core/AppError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>

namespace cadrelle {

CaptureFolderLock::CaptureFolderLock(const std::filesystem::path& folder)
    : descriptor_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!descriptor_.isOpen()) {
        throw AppError("Cannot access the screenshot folder. Choose it again in Settings.");
    }
    if (::flock(descriptor_.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            throw AppError("Another copy of Cadrelle is already watching this folder. Quit the "
                           "other copy (including debug builds), then reopen Cadrelle.");
        }
        throw AppError(std::string("Couldn't reserve the screenshot folder: ") +
                       std::strerror(error));
    }
}

} // namespace cadrelle
