#include "FileDescriptor.h"

#include "FileError.h"

#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace cadrelle {

FileDescriptor::~FileDescriptor() {
    close();
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = other.release();
    }
    return *this;
}

FileDescriptor FileDescriptor::open(const std::filesystem::path& path, int flags, mode_t mode) {
    FileDescriptor file(::open(path.c_str(), flags | O_CLOEXEC, mode));
    if (!file.isOpen()) {
        throwFileError(path);
    }
    return file;
}

int FileDescriptor::release() noexcept {
    return std::exchange(descriptor_, -1);
}

int FileDescriptor::close() noexcept {
    if (descriptor_ < 0) {
        return 0;
    }
    return ::close(release());
}

} // namespace cadrelle
