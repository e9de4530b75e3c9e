#include "InstanceLock.h"

#include "core/FileError.h"
#include "core/FileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace cadrelle {

AlreadyRunning::AlreadyRunning()
    : AppError("Cadrelle is already running. Open it from your applications menu or its tray "
               "icon.") {}

InstanceLock::InstanceLock(const std::filesystem::path& file) {
    createDirectories(file.parent_path());
    fd_ = FileDescriptor::open(file, O_RDWR | O_CREAT, 0600);
    while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            throw AlreadyRunning();
        }
        if (errno != EINTR) {
            throwFileError(file);
        }
    }
}

} // namespace cadrelle
