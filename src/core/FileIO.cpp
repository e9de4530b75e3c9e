#include "FileIO.h"

#include "FileDescriptor.h"
#include "FileError.h"
#include "PrivateFolder.h"
#include "TemporaryItems.h"

#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {

namespace {

constexpr const char* kTemporaryPrefix = ".lumivane-";
// The screenshot inbox stages its items in folders named like this.
constexpr const char* kStagingPrefix = ".preparing-";

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

// Writes a new file that must not exist yet. In a private folder the file is
// private too, whatever the umask.
void writeNewFile(std::span<const std::uint8_t> data, const std::filesystem::path& path,
                  bool sync) {
    FileDescriptor fd = FileDescriptor::open(path, O_WRONLY | O_CREAT | O_EXCL,
                                             isInPrivateFolder(path.parent_path()) ? 0600 : 0644);
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
    struct stat attributes {};
    if (::stat(path.c_str(), &attributes) == 0) {
        if (!S_ISDIR(attributes.st_mode)) {
            throw FileError(path, ENOTDIR);
        }
        return;
    }
    if (errno != ENOENT) {
        throwFileError(path);
    }
    const auto parent =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    if (parent != path) {
        createDirectories(parent);
    }
    // A folder made in a private folder is private too, whatever the umask.
    if (::mkdir(path.c_str(), isInPrivateFolder(parent) ? 0700 : 0777) != 0) {
        const int error = errno;
        // Made by someone else meanwhile: fine when it is a folder.
        if (error != EEXIST || ::stat(path.c_str(), &attributes) != 0 ||
            !S_ISDIR(attributes.st_mode)) {
            throw FileError(path, error);
        }
    }
}

std::string newUuidString() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

std::string temporaryItemName() {
    return kTemporaryPrefix + newUuidString();
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

namespace {} // namespace

bool isTemporaryItemName(const std::string& name) {
    for (const std::string prefix : {kTemporaryPrefix, kStagingPrefix}) {
        if (name.compare(0, prefix.size(), prefix) == 0) {
            // Exactly the form the program writes: an upper-case UUID.
            const QString text = QString::fromStdString(name.substr(prefix.size()));
            const QUuid uuid = QUuid::fromString(text);
            return !uuid.isNull() && uuid.toString(QUuid::WithoutBraces).toUpper() == text;
        }
    }
    return false;
}

namespace {

std::chrono::system_clock::time_point modificationTime(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return std::chrono::system_clock::now(); // unknown: treat as fresh
    }
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(status.st_mtim.tv_sec) +
            std::chrono::nanoseconds(status.st_mtim.tv_nsec)));
}

// The latest change of an item or of anything directly in it: a long export
// keeps writing the movie inside its folder while the folder itself stays
// unchanged.
std::chrono::system_clock::time_point lastChange(const std::filesystem::path& item) {
    auto latest = modificationTime(item);
    std::error_code error;
    for (std::filesystem::directory_iterator entries(item, error), end; !error && entries != end;
         entries.increment(error)) {
        latest = std::max(latest, modificationTime(entries->path()));
    }
    return latest;
}

// Whether `folder` was not looked through for stale items within the hour.
bool sweepDue(const std::filesystem::path& folder) {
    static std::mutex lock;
    static std::map<std::filesystem::path, std::chrono::steady_clock::time_point> swept;
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard guard(lock);
    const auto found = swept.find(folder);
    if (found != swept.end() && now - found->second < std::chrono::hours(1)) {
        return false;
    }
    swept[folder] = now;
    return true;
}

} // namespace

void removeStaleTemporaryItems(const std::filesystem::path& folder) noexcept {
    try {
        if (!sweepDue(folder)) {
            return;
        }
        const auto limit = std::chrono::system_clock::now() - std::chrono::hours(24);
        std::error_code error;
        for (std::filesystem::directory_iterator entries(folder, error), end;
             !error && entries != end; entries.increment(error)) {
            const auto& item = entries->path();
            if (isTemporaryItemName(item.filename().string()) && lastChange(item) < limit) {
                removeQuietly(item);
            }
        }
    } catch (...) {
        // Tidying up is never worth a failure.
    }
}

void writeExclusive(std::span<const std::uint8_t> data, const std::filesystem::path& path) {
    const auto folder =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    createDirectories(folder);
    claimTemporaryFolder(folder);
    removeStaleTemporaryItems(folder);
    const ScopedRemoval temporary(folder / temporaryItemName());
    try {
        writeNewFile(data, temporary.path(), false);
    } catch (const FileError& error) {
        // The hidden temporary name means nothing to the user.
        throw FileError(path, error.code());
    }
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
    claimTemporaryFolder(folder);
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
