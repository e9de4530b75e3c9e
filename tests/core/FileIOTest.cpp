#include "core/FileIO.h"
#include "core/AppError.h"
#include "core/CaptureExportControl.h"
#include "core/FileStamp.h"
#include "core/LockFile.h"
#include "core/Sha256.h"
#include "support/FileSizeLimit.h"
#include "support/LockHolder.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace cadrelle;
using cadrelle::test::messageOf;
using cadrelle::test::TempDir;

TEST(WriteExclusive, CreatesFoldersPublishesAndNeverReplaces) {
    TempDir dir;
    const auto target = dir / "a/b/out.png";
    writeExclusive(std::string("first"), target);
    EXPECT_EQ(test::readText(target), "first");
    EXPECT_EQ(messageOf([&] { writeExclusive(std::string("second"), target); }),
              target.string() + ": File exists");
    EXPECT_EQ(test::readText(target), "first");
    EXPECT_EQ(dir.entries("a/b"), std::vector<std::string>{"out.png"});

    // A regular file where a folder is needed.
    test::writeText(dir / "file", "x");
    EXPECT_EQ(messageOf([&] { writeExclusive(std::string("data"), dir / "file/out.png"); }),
              (dir / "file").string() + ": Not a directory");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a", "file"}));
}

TEST(WriteExclusive, FailuresNameTheDestinationNotTheHiddenFile) {
    TempDir dir;
    const test::FileSizeLimit limit(4);
    EXPECT_EQ(
        messageOf([&] { writeExclusive(std::string("more than four bytes"), dir / "out.png"); }),
        (dir / "out.png").string() + ": File too large");
    EXPECT_TRUE(dir.entries().empty());
}

// A killed run leaves its hidden temporary items behind. The next write into
// the folder removes every one of them at once, since nobody writes them any
// more, unless another copy of the program still works in the folder: then
// only those unchanged for a day go. Nothing else is touched.
TEST(WriteExclusive, RemovesWhatKilledRunsLeft) {
    TempDir dir;
    const auto twoDaysAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    const std::string file = ".lumivane-0F8C2D4A-1B3E-4C5D-8E9F-A0B1C2D3E4F5";
    const std::string movieFolder = ".lumivane-5D4D2C1B-0A9F-4E8D-BC7B-6A5F4E3D2C1B";
    const std::string busyFolder = ".lumivane-11111111-2222-4333-8444-555555555555";
    const std::string fresh = ".lumivane-99999999-8888-4777-8666-555555555555";
    const std::string staging = ".preparing-77777777-8888-4777-8666-555555555555";
    const std::string link = ".lumivane-66666666-8888-4777-8666-555555555555";
    const std::vector<std::string> others = {
        ".lumivane-not-a-uuid", ".lumivane-0f8c2d4a-1b3e-4c5d-8e9f-a0b1c2d3e4f5", "photo.png"};
    test::writeText(dir / "kept.txt", "a file a link leads to");
    const auto leave = [&](const std::filesystem::path& folder) {
        const auto age = [&](const std::string& name) {
            std::filesystem::last_write_time(folder / name, twoDaysAgo);
        };
        std::filesystem::create_directories(folder / movieFolder);
        std::filesystem::create_directories(folder / busyFolder);
        std::filesystem::create_directories(folder / staging);
        test::writeText(folder / file, "partial");
        age(file);
        test::writeText(folder / movieFolder / "recording.mov", "partial");
        age(movieFolder + "/recording.mov");
        age(movieFolder);
        // An export still writing into its old folder is not stale.
        test::writeText(folder / busyFolder / "recording.mov", "partial");
        age(busyFolder);
        test::writeText(folder / fresh, "partial");
        std::filesystem::create_symlink(dir / "kept.txt", folder / link);
        for (const std::string& other : others) {
            test::writeText(folder / other, "keep");
            age(other);
        }
    };

    // Another copy works in this folder.
    leave(dir / "shared");
    const test::LockHolder other(LockFile::forFolder("temporary", dir / "shared"), false);
    ASSERT_TRUE(other.holds());
    writeExclusive(std::string("framed"), dir / "shared" / "framed.png");
    EXPECT_EQ(dir.entries("shared"),
              (std::vector<std::string>{others[1], busyFolder, link, fresh, others[0], staging,
                                        "framed.png", "photo.png"}));

    // Nobody else does.
    leave(dir / "own");
    writeAtomically(std::string("{}"), dir / "own" / "settings.json");
    EXPECT_EQ(dir.entries("own"),
              (std::vector<std::string>{others[1], others[0], "photo.png", "settings.json"}));
    EXPECT_EQ(test::readText(dir / "kept.txt"), "a file a link leads to");
}

TEST(WriteAtomically, ReplacesWithoutLeavingTemporaries) {
    TempDir dir;
    writeAtomically(std::string("one"), dir / "settings.json");
    writeAtomically(std::string("two"), dir / "settings.json");
    EXPECT_EQ(test::readText(dir / "settings.json"), "two");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"settings.json"});
}

TEST(Sha256, MatchesKnownDigestsAndStreamsFiles) {
    EXPECT_EQ(sha256({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    TempDir dir;
    std::string big(3 * 1024 * 1024 + 17, 'z');
    test::writeText(dir / "big", big);
    Sha256 streamed;
    hashFile(streamed, dir / "big");
    EXPECT_EQ(streamed.finishHex(),
              sha256({reinterpret_cast<const std::uint8_t*>(big.data()), big.size()}));

    CaptureExportControl control;
    control.cancel();
    Sha256 cancelled;
    EXPECT_THROW(hashFile(cancelled, dir / "big", &control), Cancelled);
}

TEST(FileStamp, ExistsOnlyForRegularFilesAndTracksChanges) {
    TempDir dir;
    EXPECT_FALSE(FileStamp::of(dir / "missing"));
    EXPECT_FALSE(FileStamp::of(dir.path()));
    test::writeText(dir / "f", "abc");
    const auto first = FileStamp::of(dir / "f");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, 3u);
    test::writeText(dir / "f", "abcd");
    EXPECT_NE(*FileStamp::of(dir / "f"), *first);

    // A link has the stamp of its target, but no stamp of its own.
    std::filesystem::create_symlink(dir / "f", dir / "link");
    EXPECT_EQ(FileStamp::of(dir / "link"), FileStamp::of(dir / "f"));
    EXPECT_EQ(FileStamp::ofEntry(dir / "f"), FileStamp::of(dir / "f"));
    EXPECT_FALSE(FileStamp::ofEntry(dir / "link"));
}
