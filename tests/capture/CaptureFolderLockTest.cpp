#include "capture/CaptureFolderLock.h"
#include "core/LockFile.h"
#include "support/LockHolder.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using test::LockHolder;
using test::messageOf;

const std::string kWatchedElsewhere =
    "Another copy of Cadrelle is already watching this folder. Quit the other copy (including "
    "debug builds), then reopen Cadrelle.";

// Anyone who can open a capture folder can lock the folder itself: that
// keeps no watcher out. Only another watcher of the same folder does, by
// whatever path it names the folder, in this process or another, and it is
// refused at once.
TEST(CaptureFolderLock, OnlyAnotherWatcherOfTheSameFolderKeepsItOut) {
    test::TempDir dir;
    const auto captures = dir / "captures";
    fs::create_directories(captures);
    fs::create_directory_symlink(captures, dir / "link");
    {
        const LockHolder stranger(captures);
        ASSERT_TRUE(stranger.holds());
        EXPECT_EQ(messageOf([&] { const CaptureFolderLock lock(captures); }), "");
    }
    {
        const CaptureFolderLock first(captures);
        for (const auto& spelling : {captures, dir / "link", captures / "." / ""}) {
            EXPECT_EQ(messageOf([&] { const CaptureFolderLock second(spelling); }),
                      kWatchedElsewhere)
                << spelling;
        }
        EXPECT_EQ(messageOf([&] { const CaptureFolderLock other(dir.path()); }), "")
            << "another folder is free";
    }
    {
        const LockHolder otherCopy(LockFile::forFolder("watching", captures));
        ASSERT_TRUE(otherCopy.holds());
        EXPECT_EQ(messageOf([&] { const CaptureFolderLock lock(dir / "link"); }),
                  kWatchedElsewhere);
    }
    EXPECT_EQ(messageOf([&] { const CaptureFolderLock lock(captures); }), "")
        << "free again once the other copy ended";
    EXPECT_EQ(messageOf([&] { const CaptureFolderLock lock(dir / "missing"); }),
              "Cannot access the screenshot folder. Choose it again in Settings.");
}

} // namespace
} // namespace cadrelle
