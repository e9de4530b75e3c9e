#include "FolderLock.h"

#include "FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace cadrelle {

FolderLock::FolderLock(const std::filesystem::path& folder)
    : descriptor_(FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY)) {
    while (::flock(descriptor_.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            throwFileError(folder);
        }
    }
}

} // namespace cadrelle
