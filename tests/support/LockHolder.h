#pragma once

#include <filesystem>
#include <sys/types.h>

namespace cadrelle::test {

// Another process that holds an advisory lock (flock) on a file or a folder:
// what another copy of the program, or another user, would do. The lock is
// held once the constructor returns, and until release() or destruction.
class LockHolder {
public:
    // A missing file is made (0600).
    explicit LockHolder(const std::filesystem::path& item, bool exclusive = true);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // Whether the other process got the lock.
    bool holds() const { return holds_; }
    // Ends the other process and waits for it: the lock is free afterwards.
    void release();

private:
    pid_t pid_ = -1;
    int release_ = -1; // closing it tells the other process to end
    bool holds_ = false;
};

} // namespace cadrelle::test
