#pragma once

#include "core/FileDescriptor.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace cadrelle {

// Called after each attempt that found the lock held by another holder:
// waits a little and answers whether to try again. Tests pass their own to
// decide the outcome without depending on the machine's speed.
using LockPatience = std::function<bool()>;

// Tries again every 50 ms until `limit` has passed.
LockPatience patienceOf(std::chrono::milliseconds limit);
// How long a held lock is waited for unless a caller says otherwise.
inline constexpr std::chrono::milliseconds kLockWait{5000};

// An advisory lock (flock) on a lock file of the user's private state folder
// (see PrivateFolder.h), held while this object lives and dropped by the
// system when the process ends. The file is made 0600 and stays. Locks of
// folders live there, never on the folders themselves: a folder that others
// can open would let them take the lock and stop this program.
class LockFile {
public:
    enum class Mode { exclusive, shared };

    // The lock file for `purpose` ("watching", "library", …) on `folder`,
    // named from the folder's resolved path, so that every spelling of one
    // folder has one lock.
    static std::filesystem::path forFolder(const std::string& purpose,
                                           const std::filesystem::path& folder);

    // Takes the lock on `file`, asking `patience` after every attempt that
    // found it held; none when it gave up. Throws FileError when the file
    // cannot be made or locked, and as privateStateFolder() when `file` is
    // in it.
    static std::optional<LockFile> take(const std::filesystem::path& file, Mode mode,
                                        const LockPatience& patience);

    LockFile(LockFile&&) noexcept = default;
    LockFile& operator=(LockFile&&) noexcept = default;

    // Turns an exclusive lock into a shared one. Another holder may take the
    // lock in between (flock converts in two steps), so this waits as take()
    // does and answers whether the shared lock is held.
    bool share(const LockPatience& patience);

private:
    LockFile(FileDescriptor fd, std::filesystem::path file)
        : fd_(std::move(fd)), file_(std::move(file)) {}

    FileDescriptor fd_;
    std::filesystem::path file_;
};

} // namespace cadrelle
