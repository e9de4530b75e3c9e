#include "video/RenderVideo.h"

#include "core/AppError.h"
#include "core/FileError.h"
#include "support/FileSizeLimit.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"
#include "support/VideoTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace cadrelle {

namespace {

struct Outcome {
    std::string message; // "ok", "cancelled" or the error's description
    std::vector<double> progress;
};

Outcome runExport(const std::filesystem::path& input, const std::filesystem::path& output,
                  VideoExportFormat format = VideoExportFormat::mp4,
                  const std::function<void(double, CaptureExportControl&)>& onProgress = {}) {
    static const LoadedFrame frame = test::makeTestFrame();
    CaptureExportControl control;
    Outcome outcome;
    try {
        renderVideo(input, output, frame, control, format, [&](double value) {
            outcome.progress.push_back(value);
            if (onProgress) {
                onProgress(value, control);
            }
        });
        outcome.message = "ok";
    } catch (const Cancelled&) {
        outcome.message = "cancelled";
    } catch (const std::exception& error) {
        outcome.message = userDescription(error);
    }
    return outcome;
}

} // namespace

TEST(RenderVideoFailure, ChecksBeforeAnyWorkInTheirOrder) {
    test::TempDir dir;
    test::makeMp4(dir / "in.mp4", {});
    EXPECT_EQ(runExport(dir / "in.mp4", dir / "in.mp4").message,
              "The output must be a separate file from the recording.");
    std::filesystem::create_symlink(dir / "in.mp4", dir / "link.mp4");
    EXPECT_EQ(runExport(dir / "in.mp4", dir / "link.mp4").message,
              "The output must be a separate file from the recording.");
    EXPECT_EQ(runExport(dir / "in.mp4", dir / "out.mp4", VideoExportFormat::proRes4444).message,
              "Save MOV \u00B7 Transparent (ProRes 4444) recordings with a .mov extension.");
    test::writeText(dir / "taken.mp4", "mine");
    EXPECT_EQ(runExport(dir / "in.mp4", dir / "taken.mp4").message,
              "The output already exists. Choose a different filename.");
    EXPECT_EQ(test::readText(dir / "taken.mp4"), "mine");
    // Checked before the recording is opened: a missing input is not reported.
    EXPECT_EQ(runExport(dir / "missing.mp4", dir / "taken.mp4").message,
              "The output already exists. Choose a different filename.");

    test::makeMp4(dir / "wide.mp4", {.width = 96, .height = 64});
    EXPECT_EQ(runExport(dir / "wide.mp4", dir / "out.mp4").message,
              "This frame needs a 64 \u00D7 96 recording; this video is 96 \u00D7 64. Choose a "
              "matching frame or orientation.");
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"in.mp4", "link.mp4", "taken.mp4", "wide.mp4"}));
}

TEST(RenderVideoFailure, BadRecordingsLeaveNothingBehind) {
    test::TempDir dir;
    test::makeMp4(dir / "surround.mp4", {.audioChannels = 6});
    test::makeMp4(dir / "two.mp4", {.secondVideoTrack = true});
    test::makeMp4(dir / "good.mp4", {});
    const auto bytes = test::readText(dir / "good.mp4");
    test::writeText(dir / "cut.mp4", bytes.substr(0, bytes.size() - 100));
    test::writeText(dir / "empty.mp4", "");
    // A recording still being written: the movie box is not there yet.
    test::writeText(dir / "writing.mp4",
                    bytes.substr(0, bytes.find("moov") - 4)); // ftyp, free and mdat only

    const auto files = dir.entries();
    const std::string incomplete =
        "The MP4 is incomplete. Wait until Glimmerbox finishes saving it.";
    const std::string noMovie =
        "The recording has no finished movie data. Stop recording in Glimmerbox and try again.";
    EXPECT_EQ(runExport(dir / "surround.mp4", dir / "out.mp4").message,
              "This recording's audio is unsupported. Use mono or stereo audio.");
    EXPECT_EQ(runExport(dir / "two.mp4", dir / "out.mp4").message,
              "Choose an MP4 with one video track.");
    EXPECT_EQ(runExport(dir / "cut.mp4", dir / "out.mp4").message, incomplete);
    EXPECT_EQ(runExport(dir / "empty.mp4", dir / "out.mp4").message, noMovie);
    EXPECT_EQ(runExport(dir / "writing.mp4", dir / "out.mp4").message, noMovie);
    EXPECT_EQ(dir.entries(), files);
}

TEST(RenderVideoFailure, ChangesDuringTheExportCancelOrFailIt) {
    test::TempDir dir;
    const test::Mp4Spec spec{.frames = 10};
    test::makeMp4(dir / "in.mp4", spec);

    // The producer rewrites the recording while it is exported.
    auto outcome = runExport(dir / "in.mp4", dir / "out.mp4", VideoExportFormat::mp4,
                             [&](double value, CaptureExportControl&) {
                                 if (value > 0) {
                                     return;
                                 }
                                 std::ofstream(dir / "in.mp4", std::ios::app) << 'x';
                             });
    EXPECT_EQ(outcome.message, "The recording changed during export. Wait until it finishes "
                               "saving and try again.");
    EXPECT_NE(outcome.progress.back(), 1.0);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.mp4"});

    // Another program creates the output meanwhile: it is left untouched.
    std::filesystem::remove(dir / "in.mp4");
    test::makeMp4(dir / "in.mp4", spec);
    outcome = runExport(dir / "in.mp4", dir / "out.mp4", VideoExportFormat::mp4,
                        [&](double value, CaptureExportControl&) {
                            if (value == 0 && !std::filesystem::exists(dir / "out.mp4")) {
                                test::writeText(dir / "out.mp4", "newcomer");
                            }
                        });
    EXPECT_EQ(outcome.message, (dir / "out.mp4").string() + ": File exists");
    EXPECT_EQ(test::readText(dir / "out.mp4"), "newcomer");
    EXPECT_NE(outcome.progress.back(), 1.0);
    std::filesystem::remove(dir / "out.mp4");

    // Cancelled while frames flow, and at the very last frame.
    for (const double at : {0.0, 0.85}) {
        outcome = runExport(dir / "in.mp4", dir / "out.mov", VideoExportFormat::proRes4444,
                            [&](double value, CaptureExportControl& control) {
                                if (value >= at && value < 1) {
                                    control.cancel();
                                }
                            });
        EXPECT_EQ(outcome.message, "cancelled") << at;
        EXPECT_NE(outcome.progress.back(), 1.0);
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.mp4"});
}

TEST(RenderVideoFailure, AFailedWriteNamesTheOutputAndLeavesNothing) {
    test::TempDir dir;
    test::makeMp4(dir / "in.mp4", {.frames = 30});
    for (const auto format : {VideoExportFormat::mp4, VideoExportFormat::proRes4444}) {
        const auto output = dir / ("out." + extension(format));
        Outcome outcome;
        {
            const test::FileSizeLimit limit(512);
            outcome = runExport(dir / "in.mp4", output, format);
        }
        EXPECT_EQ(outcome.message, output.string() + ": File too large");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.mp4"});
    }
}

} // namespace cadrelle
