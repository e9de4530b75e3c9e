#include "video/VideoSource.h"

#include "core/AppError.h"
#include "support/Messages.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"
#include "video/MediaDeadline.h"
#include "video/ValidateMP4.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

namespace cadrelle {

namespace {

const std::string kIncomplete = "The MP4 is incomplete. Wait until Glimmerbox finishes saving it.";
const std::string kNoMovie =
    "The recording has no finished movie data. Stop recording in Glimmerbox and try again.";

struct Box {
    std::uint32_t size;
    std::string type;
    std::uint64_t wide = 0;  // written after the header when size is 1
    std::size_t payload = 0; // zero bytes after the header(s)
};

std::string boxes(const std::vector<Box>& list) {
    std::string bytes;
    for (const Box& box : list) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes += static_cast<char>((box.size >> shift) & 0xff);
        }
        bytes += box.type;
        if (box.size == 1) {
            for (int shift = 56; shift >= 0; shift -= 8) {
                bytes += static_cast<char>((box.wide >> shift) & 0xff);
            }
        }
        bytes += std::string(box.payload, '\0');
    }
    return bytes;
}

} // namespace

TEST(ValidateMP4, WalksTopLevelBoxesToTheEndOfTheFile) {
    test::TempDir dir;
    const auto check = [&](const std::string& bytes) {
        test::writeText(dir / "box.mp4", bytes);
        return test::messageOf([&] { validateMP4(dir / "box.mp4"); });
    };
    EXPECT_EQ(check(""), kNoMovie); // an empty file has no boxes
    EXPECT_EQ(check(boxes({{16, "ftyp", 0, 8}, {12, "mdat", 0, 4}, {8, "moov"}})), "");
    EXPECT_EQ(check(boxes({{8, "moov"}, {8, "mdat"}})), ""); // order does not matter
    EXPECT_EQ(check(boxes({{16, "ftyp", 0, 8}, {12, "mdat", 0, 4}})), kNoMovie);
    // The last box declares more than is left, although both boxes were seen.
    EXPECT_EQ(check(boxes({{8, "moov"}, {8, "mdat"}, {100, "free", 0, 10}})), kIncomplete);
    EXPECT_EQ(check(boxes({{8, "moov"}, {8, "mdat"}}) + "abc"), kIncomplete); // short header
    EXPECT_EQ(check(boxes({{8, "moov"}, {7, "mdat"}})), kIncomplete);         // below minimum
    // 64-bit sizes: 8 is below the minimum of 16; 0 runs to the end; a cut field.
    EXPECT_EQ(check(boxes({{8, "moov"}, {1, "mdat", 8}})), kIncomplete);
    EXPECT_EQ(check(boxes({{8, "moov"}, {1, "mdat", 0, 100}})), "");
    EXPECT_EQ(check(boxes({{8, "moov"}, {1, "mdat", 24, 8}})), "");
    EXPECT_EQ(check(boxes({{8, "moov"}}) + std::string("\0\0\0\1mdat\0\0\0", 11)),
              "Incomplete MP4 atom.");
    // Size 0 covers the rest of the file and ends the walk.
    EXPECT_EQ(check(boxes({{8, "moov"}, {0, "mdat", 0, 50}})), "");
    EXPECT_EQ(test::messageOf([&] { validateMP4(dir / "missing.mp4"); }),
              (dir / "missing.mp4").string() + ": No such file or directory");
}

TEST(VideoSource, ReadsDisplaySizeAndTiming) {
    test::TempDir dir;
    CaptureExportControl control;
    test::makeMp4(dir / "plain.mp4", {.frames = 15, .audioChannels = 1});
    const VideoSource plain(dir / "plain.mp4", control);
    EXPECT_EQ(plain.width(), 64);
    EXPECT_EQ(plain.height(), 96);
    EXPECT_TRUE(plain.transform().isIdentity());
    EXPECT_NEAR(plain.frameRate(), 30, 0.01);
    // The muxer raises the media time scale of 600 to a multiple of it.
    EXPECT_EQ(plain.timeScale() % 600, 0);
    EXPECT_NEAR(plain.duration(), 0.5, 0.03);

    // Stored landscape, shown portrait: the display matrix swaps the axes.
    test::makeMp4(dir / "turned.mp4", {.width = 96, .height = 64, .rotation = 90});
    const VideoSource turned(dir / "turned.mp4", control);
    EXPECT_EQ(turned.naturalWidth(), 96);
    EXPECT_EQ(turned.naturalHeight(), 64);
    EXPECT_EQ(turned.width(), 64);
    EXPECT_EQ(turned.height(), 96);
    EXPECT_TRUE(turned.transform().isQuarterTurn());

    control.cancel();
    EXPECT_THROW(VideoSource(dir / "plain.mp4", control), Cancelled);
}

TEST(MediaDeadline, StopsOnCancellationOrTimeOut) {
    CaptureExportControl control;
    auto now = std::chrono::steady_clock::time_point();
    const MediaDeadline waiting(control, std::chrono::milliseconds(40), [&] { return now; });
    const AVIOInterruptCB callback = waiting.callback();
    now += std::chrono::milliseconds(39);
    EXPECT_EQ(callback.callback(callback.opaque), 0);
    EXPECT_NO_THROW(waiting.throwIfStopped());
    now += std::chrono::milliseconds(1);
    EXPECT_EQ(callback.callback(callback.opaque), 1);
    EXPECT_EQ(test::messageOf([&] { waiting.throwIfStopped(); }),
              "Timed out reading the recording. Wait until Glimmerbox finishes saving it.");

    const MediaDeadline cancelled(control);
    control.cancel();
    EXPECT_EQ(cancelled.callback().callback(cancelled.callback().opaque), 1);
    EXPECT_THROW(cancelled.throwIfStopped(), Cancelled);
}

} // namespace cadrelle
