#include "core/FileIO.h"
#include "core/JsonSupport.h"
#include "core/Sha256.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

// A folder holding a folder, a link to an endless device and a pipe that no
// one ever writes to, each named like an input.
struct NotFiles {
    TempDir dir;
    std::filesystem::path folder = dir / "folder.png";
    std::filesystem::path zero = dir / "zero.png";
    std::filesystem::path pipe = dir / "pipe.png";

    NotFiles() {
        std::filesystem::create_directory(folder);
        std::filesystem::create_symlink("/dev/zero", zero);
        EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    }
};

} // namespace

TEST(ReadFile, RefusesFoldersDevicesAndPipesWithoutWaitingForThem) {
    const NotFiles items;
    const std::string notAFile = ": This is not a regular file.";
    EXPECT_EQ(messageOf([&] { readFile(items.folder, 100); }),
              items.folder.string() + ": Is a directory");
    EXPECT_EQ(messageOf([&] { readFile(items.zero, kMaxPngFileBytes); }),
              items.zero.string() + notAFile);
    EXPECT_EQ(messageOf([&] { readFile(items.pipe, kMaxPngFileBytes); }),
              items.pipe.string() + notAFile);
    EXPECT_EQ(messageOf([&] { readJsonFile<nlohmann::json>(items.zero, kMaxSettingsFileBytes); }),
              items.zero.string() + notAFile);

    // Fingerprints stream a capture instead of reading it whole; the same
    // items are refused there.
    Sha256 hash;
    EXPECT_EQ(messageOf([&] { hashFile(hash, items.zero); }), items.zero.string() + notAFile);
    EXPECT_EQ(messageOf([&] { hashFile(hash, items.pipe); }), items.pipe.string() + notAFile);
}

TEST(ReadFile, ReadsAtMostItsLimitEvenWhenTheSizeIsNotKnownAhead) {
    TempDir dir;
    writeText(dir / "ten", "0123456789");
    EXPECT_EQ(readFile(dir / "ten", 10).size(), 10u);
    EXPECT_EQ(messageOf([&] { readFile(dir / "ten", 9); }),
              (dir / "ten").string() + ": The file is larger than 9 bytes.");
    std::filesystem::resize_file(dir / "ten", 1'000'001);
    EXPECT_EQ(messageOf([&] { readFile(dir / "ten", 1'000'000); }),
              (dir / "ten").string() + ": The file is larger than 1 MB.");

    // Kernel files are regular but report no size: the read itself stops one
    // byte past the limit.
    EXPECT_EQ(std::filesystem::file_size("/proc/self/status"), 0u);
    EXPECT_EQ(messageOf([&] { readFile("/proc/self/status", 16); }),
              "/proc/self/status: The file is larger than 16 bytes.");
    EXPECT_GT(readFile("/proc/self/status", 1'000'000).size(), 16u);
}
