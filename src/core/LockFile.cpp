#include "LockFile.h"

#include "FileError.h"
#include "FileIO.h"
#include "PrivateFolder.h"
#include "Sha256.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

namespace cadrelle {

namespace {

// One attempt: true when locked, false when another holder has it.
bool tryLock(const FileDescriptor& fd, LockFile::Mode mode, const std::filesystem::path& file) {
    const int operation = (mode == LockFile::Mode::exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    while (::flock(fd.get(), operation) != 0) {
        if (errno == EWOULDBLOCK) {
            return false;
        }
        if (errno != EINTR) {
            throwFileError(file);
        }
    }
    return true;
}

bool lockPatiently(const FileDescriptor& fd, LockFile::Mode mode, const std::filesystem::path& file,
                   const LockPatience& patience) {
    while (!tryLock(fd, mode, file)) {
        if (!patience || !patience()) {
            return false;
        }
    }
    return true;
}

} // namespace

LockPatience patienceOf(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    return [until] {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return true;
    };
}

std::filesystem::path LockFile::forFolder(const std::string& purpose,
                                          const std::filesystem::path& folder) {
    const std::string resolved = resolvedPath(folder).string();
    const auto digest = sha256(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(resolved.data()), resolved.size()));
    return privateStateFolder() / "locks" / (purpose + "-" + digest + ".lock");
}

std::optional<LockFile> LockFile::take(const std::filesystem::path& file, Mode mode,
                                       const LockPatience& patience) {
    createDirectories(file.parent_path());
    FileDescriptor fd = FileDescriptor::open(file, O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
    if (!lockPatiently(fd, mode, file, patience)) {
        return std::nullopt;
    }
    return LockFile(std::move(fd), file);
}

bool LockFile::share(const LockPatience& patience) {
    return lockPatiently(fd_, Mode::shared, file_, patience);
}

} // namespace cadrelle
