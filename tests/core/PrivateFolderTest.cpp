#include "core/PrivateFolder.h"
#include "core/FileIO.h"
#include "core/FolderLock.h"
#include "core/LockFile.h"
#include "support/FileModes.h"
#include "support/LockHolder.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using test::LockHolder;
using test::messageOf;
using test::modeOf;
using test::TempDir;
using test::Umask;
using test::writeText;

// Under the usual umask, an earlier version's data folder is tightened,
// everything made in it afterwards is the user's alone, and what is made
// elsewhere (the folders framed captures are shared from) keeps the usual
// modes.
TEST(PrivateFolder, ModesFollowThePrivateFolderWhateverTheUmask) {
    TempDir dir;
    const Umask usual(022);
    const auto data = dir / "data";
    fs::create_directories(data / "Screenshot Inbox" / "AB");
    writeText(data / "settings.json", "{}");
    writeText(data / "Screenshot Inbox" / "AB" / "source.png", "png");
    writeText(dir / "shared.txt", "shared");
    for (const auto& folder : {data, data / "Screenshot Inbox", data / "Screenshot Inbox" / "AB"}) {
        fs::permissions(folder, fs::perms(0755));
    }
    fs::permissions(data / "settings.json", fs::perms(0644));
    fs::permissions(dir / "shared.txt", fs::perms(0644));
    // A link in the data folder: what it leads to is not the data folder's.
    fs::create_symlink(dir / "shared.txt", data / "link");

    makePrivateFolder(data);
    EXPECT_EQ(modeOf(data), 0700u);
    EXPECT_EQ(modeOf(data / "Screenshot Inbox"), 0700u);
    EXPECT_EQ(modeOf(data / "Screenshot Inbox" / "AB"), 0700u);
    EXPECT_EQ(modeOf(data / "settings.json"), 0600u);
    EXPECT_EQ(modeOf(data / "Screenshot Inbox" / "AB" / "source.png"), 0600u);
    EXPECT_EQ(modeOf(dir / "shared.txt"), 0644u);

    writeExclusive(std::string("png"), data / "Frames" / "frame.png");
    writeAtomically(std::string("[]"), data / "history.json");
    EXPECT_EQ(modeOf(data / "Frames"), 0700u);
    EXPECT_EQ(modeOf(data / "Frames" / "frame.png"), 0600u);
    EXPECT_EQ(modeOf(data / "history.json"), 0600u);

    writeExclusive(std::string("png"), dir / "export" / "framed.png");
    EXPECT_EQ(modeOf(dir / "export"), 0755u);
    EXPECT_EQ(modeOf(dir / "export" / "framed.png"), 0644u);

    // Missing folders on the way are made private too.
    makePrivateFolder(dir / "state" / "cadrelle");
    EXPECT_EQ(modeOf(dir / "state"), 0700u);
    EXPECT_EQ(modeOf(dir / "state" / "cadrelle"), 0700u);
    writeText(dir / "file", "x");
    EXPECT_EQ(messageOf([&] { makePrivateFolder(dir / "file"); }),
              (dir / "file").string() + ": Not a directory");
}

// An environment variable's value while it lives.
class Variable {
public:
    Variable(const char* name, const std::string& value) : name_(name) {
        if (const char* previous = std::getenv(name)) {
            previous_ = previous;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~Variable() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

// Writers of one folder take turns through a lock file in the user's own
// state folder. A lock that another process holds ends in the caller's
// sentence once the caller's patience is used up, and is taken as soon as
// the holder lets go. Locking the folder itself, which anyone who can open
// it may do, keeps nobody waiting.
TEST(FolderLock, AHeldLockEndsInASentenceAndTheFolderItselfStopsNobody) {
    TempDir dir;
    const Variable state("XDG_STATE_HOME", (dir / "state").string());
    const auto library = dir / "library";
    fs::create_directories(library);
    const std::string busy = "Another copy is busy.";
    {
        const LockHolder other(library);
        ASSERT_TRUE(other.holds());
        EXPECT_EQ(messageOf([&] { const FolderLock lock(library, busy, nullptr); }), "");
    }

    LockHolder other(LockFile::forFolder("writing", library));
    ASSERT_TRUE(other.holds());
    int waits = 0;
    EXPECT_EQ(messageOf([&] { const FolderLock lock(library, busy, [&] { return ++waits < 3; }); }),
              busy);
    EXPECT_EQ(waits, 3) << "three waits, then the sentence";
    fs::create_directories(dir / "other");
    EXPECT_EQ(messageOf([&] { const FolderLock lock(dir / "other/../library/", busy, nullptr); }),
              busy)
        << "another spelling of the folder is the same lock";
    EXPECT_EQ(messageOf([&] {
                  const FolderLock lock(library, busy, [&] {
                      other.release();
                      return true;
                  });
              }),
              "");

    const auto file = LockFile::forFolder("writing", library);
    EXPECT_EQ(file.parent_path().parent_path(), dir / "state" / "cadrelle");
    EXPECT_EQ(modeOf(dir / "state" / "cadrelle"), 0700u);
    EXPECT_EQ(modeOf(file), 0600u);
}

} // namespace
} // namespace cadrelle
