#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace cadrelle::test {

// The permission bits of `path` itself (a link is not followed).
inline mode_t modeOf(const std::filesystem::path& path) {
    struct stat attributes {};
    EXPECT_EQ(::lstat(path.c_str(), &attributes), 0) << path;
    return attributes.st_mode & 07777;
}

// The umask of the process while it lives.
class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t previous_;
};

} // namespace cadrelle::test
