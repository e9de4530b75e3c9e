#include "capture/CaptureFramer.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/ReadLimits.h"
#include "support/CaptureTestSupport.h"
#include "support/Messages.h"
#include "support/Mp4Maker.h"
#include "support/PngWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace cadrelle {
namespace {

using test::entriesOf;
using test::TempDir;

class CaptureFramerTest : public ::testing::Test {
protected:
    TempDir dir;
    test::TestLibrary frames = test::makeTestLibrary(dir / "lib", {{20, 30}, {64, 96}});
    std::filesystem::path output = dir / "export";

    CaptureFramer framer() {
        FramingSetup setup;
        setup.library = frames.library;
        setup.assets = frames.assets;
        setup.output = output;
        return CaptureFramer(setup);
    }
};

TEST_F(CaptureFramerTest, OneJobCanBeCancelledWhileTheOthersGoOn) {
    test::makeMp4(dir / "Screen Recording 1.mp4", test::Mp4Spec{});
    test::writeScreenshot(dir / "Screenshot 1.png", 20, 30);
    CaptureFramer framing = framer();
    CaptureExportControl parent;
    CaptureExportControl recordingJob = parent.child();
    const CaptureExportControl screenshotJob = parent.child();

    MatchedCapture recording = framing.match(dir / "Screen Recording 1.mp4", recordingJob);
    framing.identify(recording, recordingJob);
    EXPECT_THROW(framing.frame(recording, VideoExportFormat::mp4, recordingJob,
                               [&](const CaptureProgress&) { recordingJob.cancel(); }),
                 Cancelled);
    EXPECT_TRUE(entriesOf(output).empty()) << "a cancelled job leaves nothing behind";

    MatchedCapture screenshot = framing.match(dir / "Screenshot 1.png", screenshotJob);
    framing.identify(screenshot, screenshotJob);
    const FramingResult result = framing.frame(screenshot, VideoExportFormat::mp4, screenshotJob);
    EXPECT_TRUE(result.framed);
    EXPECT_EQ(entriesOf(output),
              std::vector<std::string>{std::filesystem::path(result.record.output).filename()});
}

TEST_F(CaptureFramerTest, TheFrameCacheNoticesAChangedFrameFile) {
    CaptureFramer framing = framer();
    const CaptureExportControl control;
    const auto frameAgain = [&](std::uint32_t seed) {
        const auto path = dir / ("Screenshot " + std::to_string(seed) + ".png");
        test::writeScreenshot(path, 20, 30, seed);
        MatchedCapture capture = framing.match(path, control);
        framing.identify(capture, control);
        return framing.frame(capture, VideoExportFormat::mp4, control);
    };
    EXPECT_TRUE(frameAgain(1).framed);
    const auto file = frames.library.directory / frames.assets[0].file;
    const auto original = readFile(file, kMaxPngFileBytes);
    std::filesystem::copy_file(frames.library.directory / frames.assets[1].file, file,
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(test::messageOf([&] { frameAgain(2); }),
              "The frame changed since import. Import it again.");
    EXPECT_EQ(entriesOf(output).size(), 1u);
    test::writeBytes(file, original);
    EXPECT_TRUE(frameAgain(3).framed);
    EXPECT_EQ(entriesOf(output).size(), 2u);
}

TEST_F(CaptureFramerTest, FingerprintNamesRepeatAndUniqueNamesNeverDo) {
    test::writeScreenshot(dir / "Screenshot 1.png", 20, 30);
    CaptureFramer framing = framer();
    const CaptureExportControl control;
    std::vector<FramingResult> results;
    for (int run = 0; run < 2; ++run) {
        MatchedCapture capture = framing.match(dir / "Screenshot 1.png", control);
        framing.identify(capture, control);
        results.push_back(framing.frame(capture, VideoExportFormat::mp4, control));
    }
    EXPECT_TRUE(results[0].framed);
    EXPECT_FALSE(results[1].framed) << "the same capture and frame are framed once";
    EXPECT_EQ(results[1].record.output, results[0].record.output);
    EXPECT_EQ(results[0].record.frame, frames.assets[0].name + " \u00B7 Portrait");

    for (int run = 0; run < 2; ++run) {
        MatchedCapture capture = framing.match(dir / "Screenshot 1.png", control);
        framing.identifyUniquely(capture);
        results.push_back(framing.frame(capture, VideoExportFormat::mp4, control));
        EXPECT_TRUE(results.back().framed);
        EXPECT_TRUE(std::regex_match(
            std::filesystem::path(results.back().record.output).filename().string(),
            std::regex(R"(Screenshot 1-framed-[0-9A-F]{8}\.png)")))
            << results.back().record.output;
    }
    EXPECT_NE(results[2].record.output, results[3].record.output);
    EXPECT_EQ(entriesOf(output).size(), 3u);
}

// Another run framing the same capture publishes the output while this one
// is still encoding: the name is taken by the same result, so this job
// reports the capture as framed already and leaves the file alone.
TEST_F(CaptureFramerTest, AnOutputPublishedMeanwhileCountsAsFramedAlready) {
    test::makeMp4(dir / "Screen Recording 1.mp4", test::Mp4Spec{});
    CaptureFramer framing = framer();
    const CaptureExportControl control;
    MatchedCapture capture = framing.match(dir / "Screen Recording 1.mp4", control);
    framing.identify(capture, control);
    const auto expected = framing.outputPath(capture, VideoExportFormat::mp4);
    const FramingResult result =
        framing.frame(capture, VideoExportFormat::mp4, control, [&](const CaptureProgress&) {
            if (!std::filesystem::exists(expected)) {
                test::writeText(expected, "the other run's output");
            }
        });
    EXPECT_FALSE(result.framed);
    EXPECT_EQ(result.record.output, expected.string());
    EXPECT_EQ(test::readText(expected), "the other run's output");
    EXPECT_EQ(entriesOf(output), std::vector<std::string>{expected.filename().string()});
}

TEST_F(CaptureFramerTest, LongNamesAreCutToFitAFileNameOnACharacterBoundary) {
    const auto repeated = [](const std::string& character, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) {
            text += character;
        }
        return text;
    };
    struct Case {
        std::string stem;
        std::string kept; // what the output name keeps of it
    };
    const std::vector<Case> cases = {
        // 120 characters of 2 bytes and 80 of 3 bytes: legal 244-byte names,
        // cut to the 227 bytes that leave room for "-framed-<16>.png".
        {repeated("\u0436", 120), repeated("\u0436", 113)},
        {repeated("\u5B57", 80), repeated("\u5B57", 75)},
        // An accent stays with its letter.
        {repeated("e\u0301", 83), repeated("e\u0301", 75)},
        // Names that fit keep their first 120 characters.
        {repeated("a", 130), repeated("a", 120)},
        {repeated("\u0436", 100), repeated("\u0436", 100)},
    };
    CaptureFramer framing = framer();
    const CaptureExportControl control;
    std::uint32_t seed = 0;
    std::filesystem::create_directories(dir / "captures");
    for (const auto& [stem, kept] : cases) {
        const auto capture = dir / "captures" / (stem + ".png");
        test::writeScreenshot(capture, 20, 30, ++seed);
        MatchedCapture matched = framing.match(capture, control);
        framing.identify(matched, control);
        const auto result = framing.frame(matched, VideoExportFormat::mp4, control);
        const auto name = std::filesystem::path(result.record.output).filename().string();
        EXPECT_EQ(name, kept + "-framed-" + matched.identity.substr(0, 16) + ".png");
        EXPECT_TRUE(std::filesystem::is_regular_file(result.record.output)) << name;
    }
    EXPECT_EQ(entriesOf(output).size(), cases.size());
}

} // namespace
} // namespace cadrelle
