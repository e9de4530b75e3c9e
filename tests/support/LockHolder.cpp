#include "LockHolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cadrelle::test {

LockHolder::LockHolder(const std::filesystem::path& item, bool exclusive) {
    int ready[2];
    int done[2];
    // Close-on-exec: programs the test starts must not keep the pipes open.
    if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(done, O_CLOEXEC) != 0) {
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls from here on: the test runs threads.
        ::close(ready[0]);
        ::close(done[1]);
        int fd = ::open(item.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            fd = ::open(item.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        }
        const char held = (fd >= 0 && ::flock(fd, exclusive ? LOCK_EX : LOCK_SH) == 0) ? 1 : 0;
        (void)::write(ready[1], &held, 1);
        char ignored = 0;
        while (::read(done[0], &ignored, 1) < 0 && errno == EINTR) {
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(done[0]);
    release_ = done[1];
    char held = 0;
    ssize_t count = 0;
    while ((count = ::read(ready[0], &held, 1)) < 0 && errno == EINTR) {
    }
    ::close(ready[0]);
    holds_ = count == 1 && held == 1;
}

LockHolder::~LockHolder() {
    release();
}

void LockHolder::release() {
    if (release_ >= 0) {
        ::close(release_);
        release_ = -1;
    }
    if (pid_ > 0) {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
    holds_ = false;
}

} // namespace cadrelle::test
