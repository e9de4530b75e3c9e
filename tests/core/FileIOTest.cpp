#include "core/FileIO.h"
#include "core/AppError.h"
#include "core/CaptureExportControl.h"
#include "core/FileError.h"
#include "core/FileStamp.h"
#include "core/Sha256.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using cadrelle::test::TempDir;

TEST(WriteExclusive, CreatesFoldersPublishesAndNeverReplaces) {
    TempDir dir;
    const auto target = dir / "a/b/out.png";
    writeExclusive(std::string("first"), target);
    EXPECT_EQ(test::readText(target), "first");

    try {
        writeExclusive(std::string("second"), target);
        FAIL() << "an existing file was replaced";
    } catch (const FileError& error) {
        EXPECT_EQ(userDescription(error), target.string() + ": File exists");
    }
    EXPECT_EQ(test::readText(target), "first");
    EXPECT_EQ(dir.entries("a/b"), std::vector<std::string>{"out.png"});
}

TEST(WriteExclusive, ReportsUnwritableFolderWithPath) {
    TempDir dir;
    test::writeText(dir / "file", "x");
    // A regular file where a folder is needed.
    EXPECT_THROW(writeExclusive(std::string("data"), dir / "file/out.png"), FileError);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"file"});
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
