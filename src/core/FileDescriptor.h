#pragma once

#include <filesystem>
#include <sys/types.h>

namespace cadrelle {

// Owns one open POSIX file descriptor and closes it when it goes away. The
// destructor closes quietly, which is right for readers and for a writer that
// is giving up anyway; a writer that succeeded calls close() to learn whether
// the data really reached the file.
class FileDescriptor {
public:
    FileDescriptor() noexcept = default;
    explicit FileDescriptor(int descriptor) noexcept : descriptor_(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // Opens `path` with open(2) `flags` (close-on-exec is always added);
    // throws FileError(path) when that fails.
    static FileDescriptor open(const std::filesystem::path& path, int flags, mode_t mode = 0);

    int get() const noexcept { return descriptor_; }
    bool isOpen() const noexcept { return descriptor_ >= 0; }
    // Gives up ownership: the caller closes the returned descriptor.
    int release() noexcept;
    // Closes now and returns close(2)'s result (−1 with errno set when it
    // failed). The descriptor is gone either way, so a failure is not retried.
    int close() noexcept;

private:
    int descriptor_ = -1;
};

} // namespace cadrelle
