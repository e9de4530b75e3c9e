#include "FileIO.h"

#include "FileDescriptor.h"
#include "FileError.h"

#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {

namespace {

void writeAll(int fd, std::span<const std::uint8_t> data, const std::filesystem::path& path) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwFileError(path);
        }
        done += static_cast<std::size_t>(written);
    }
}

// Writes a new file that must not exist yet.
void writeNewFile(std::span<const std::uint8_t> data, const std::filesystem::path& path,
                  bool sync) {
    FileDescriptor fd = FileDescriptor::open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
    writeAll(fd.get(), data, path);
    if (sync && ::fsync(fd.get()) != 0) {
        throwFileError(path);
    }
    if (fd.close() != 0) {
        throwFileError(path);
    }
}

std::span<const std::uint8_t> asBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes >= 1'000'000 && bytes % 1'000'000 == 0) {
        return std::to_string(bytes / 1'000'000) + " MB";
    }
    return std::to_string(bytes) + " bytes";
}

} // namespace

FileTooLarge::FileTooLarge(const std::filesystem::path& path, std::uint64_t limit)
    : AppError(path.string() + ": The file is larger than " + sizeText(limit) + ".") {}

FileDescriptor openRegularFile(const std::filesystem::path& path) {
    // Without O_NONBLOCK, opening a pipe would wait for a writer forever.
    FileDescriptor fd = FileDescriptor::open(path, O_RDONLY | O_NONBLOCK);
    struct stat attributes {};
    if (::fstat(fd.get(), &attributes) != 0) {
        throwFileError(path);
    }
    if (S_ISDIR(attributes.st_mode)) {
        throw FileError(path, EISDIR);
    }
    if (!S_ISREG(attributes.st_mode)) {
        throw AppError(path.string() + ": This is not a regular file.");
    }
    // Regular files never block; reads go back to the ordinary mode.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        throwFileError(path);
    }
    return fd;
}

Bytes readFile(const std::filesystem::path& path, std::uint64_t limit) {
    const FileDescriptor fd = openRegularFile(path);
    struct stat attributes {};
    if (::fstat(fd.get(), &attributes) != 0) {
        throwFileError(path);
    }
    const auto size = static_cast<std::uint64_t>(attributes.st_size);
    if (size > limit) {
        throw FileTooLarge(path, limit);
    }
    Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    std::uint8_t buffer[1 << 16];
    // One byte past the limit is enough to know that a file grew too large.
    while (bytes.size() <= limit) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(sizeof buffer, limit + 1 - bytes.size()));
        const ssize_t count = ::read(fd.get(), buffer, wanted);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwFileError(path);
        }
        if (count == 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    throw FileTooLarge(path, limit);
}

void createDirectories(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        throw FileError(path, error);
    }
}

std::string newUuidString() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

std::string temporaryItemName() {
    return ".lumivane-" + newUuidString();
}

std::filesystem::path resolvedPath(const std::filesystem::path& path) {
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(std::filesystem::absolute(path), error);
    if (error) {
        return std::filesystem::absolute(path).lexically_normal();
    }
    return resolved;
}

std::string lowercaseExtension(const std::filesystem::path& path) {
    std::string text = path.extension().string();
    if (!text.empty()) {
        text.erase(0, 1);
    }
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

void removeQuietly(const std::filesystem::path& path) noexcept {
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

void writeExclusive(std::span<const std::uint8_t> data, const std::filesystem::path& path) {
    const auto folder =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    createDirectories(folder);
    const ScopedRemoval temporary(folder / temporaryItemName());
    writeNewFile(data, temporary.path(), false);
    if (::link(temporary.path().c_str(), path.c_str()) != 0) {
        throwFileError(path);
    }
}

void writeExclusive(const std::string& data, const std::filesystem::path& path) {
    writeExclusive(asBytes(data), path);
}

void writeAtomically(std::span<const std::uint8_t> data, const std::filesystem::path& path) {
    const auto folder =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    createDirectories(folder);
    ScopedRemoval temporary(folder / temporaryItemName());
    writeNewFile(data, temporary.path(), true);
    if (::rename(temporary.path().c_str(), path.c_str()) != 0) {
        throwFileError(path);
    }
}

void writeAtomically(const std::string& data, const std::filesystem::path& path) {
    writeAtomically(asBytes(data), path);
}

bool itemExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() !=
           std::filesystem::file_type::not_found;
}

} // namespace cadrelle
