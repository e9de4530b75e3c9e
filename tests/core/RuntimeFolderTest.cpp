#include "core/RuntimeFolder.h"

#include "support/FileModes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using test::modeOf;

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ~ScopedVariable() { set(old_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

void makeFolder(const fs::path& folder, mode_t mode) {
    fs::create_directories(folder);
    ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
}

TEST(RuntimeFolder, OnlyAFolderNoOtherUserCanOpenOrPlantIsUsed) {
    test::TempDir dir;
    const fs::path runtime = dir / "run";
    const fs::path fallback = dir / "tmp" / ("cadrelle-" + std::to_string(::geteuid()));
    const fs::path cacheFolder = dir / "cache" / "Lumivane" / "Runtime";
    fs::create_directories(dir / "tmp");
    const ScopedVariable temporary("TMPDIR", (dir / "tmp").string());
    const ScopedVariable cache("XDG_CACHE_HOME", (dir / "cache").string());
    const ScopedVariable home("HOME", dir.path().string());

    // The session's folder, when it is the user's own and closed to others.
    makeFolder(runtime, 0700);
    const ScopedVariable session("XDG_RUNTIME_DIR", runtime.string());
    EXPECT_EQ(privateRuntimeFolder(), runtime);
    EXPECT_FALSE(fs::exists(fallback));

    // Open to others: passed over and left as it is, for a private folder
    // of the user's own.
    ASSERT_EQ(::chmod(runtime.c_str(), 0755), 0);
    EXPECT_EQ(privateRuntimeFolder(), fallback);
    EXPECT_EQ(modeOf(fallback), 0700u);
    EXPECT_EQ(modeOf(runtime), 0755u);
    {
        const ScopedVariable unset("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_EQ(privateRuntimeFolder(), fallback);
    }

    // The user's own fallback folder is tightened when it was opened up.
    ASSERT_EQ(::chmod(fallback.c_str(), 0777), 0);
    EXPECT_EQ(privateRuntimeFolder(), fallback);
    EXPECT_EQ(modeOf(fallback), 0700u);

    // A link in its place, even to a private folder, is not the folder.
    fs::remove(fallback);
    makeFolder(dir / "elsewhere", 0700);
    fs::create_directory_symlink(dir / "elsewhere", fallback);
    EXPECT_EQ(privateRuntimeFolder(), cacheFolder);
    EXPECT_EQ(modeOf(cacheFolder), 0700u);
    fs::remove(fallback);

    // Folders that belong to another user, whatever their mode.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a folder to another user";
    }
    const uid_t stranger = 4242;
    ASSERT_EQ(::chmod(runtime.c_str(), 0700), 0);
    ASSERT_EQ(::chown(runtime.c_str(), stranger, stranger), 0);
    makeFolder(fallback, 0700);
    ASSERT_EQ(::chown(fallback.c_str(), stranger, stranger), 0);
    EXPECT_EQ(privateRuntimeFolder(), cacheFolder);
    EXPECT_EQ(modeOf(fallback), 0700u) << "another user's folder is not changed";
}

} // namespace
} // namespace cadrelle
