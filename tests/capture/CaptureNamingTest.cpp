#include "capture/CaptureNaming.h"
#include "capture/CaptureDimensions.h"
#include "core/AppError.h"
#include "core/FileError.h"
#include "core/Sha256.h"
#include "support/Messages.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"
#include "support/TestFrames.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using namespace cadrelle::test;

TEST(CaptureNaming, FingerprintCoversPathFrameAndContent) {
    TempDir dir;
    const auto capture = dir / "Simulator Screenshot - 1.png";
    writeText(capture, "first content");
    CaptureExportControl control;

    const std::string fingerprint = captureFingerprint(capture, "frame-a", control);
    const std::string joined = capture.string() + "frame-a" + "first content";
    EXPECT_EQ(fingerprint,
              sha256({reinterpret_cast<const std::uint8_t*>(joined.data()), joined.size()}));
    EXPECT_NE(captureFingerprint(capture, "frame-b", control), fingerprint);
    const auto moved = dir / "Simulator Screenshot - 2.png";
    std::filesystem::copy_file(capture, moved);
    EXPECT_NE(captureFingerprint(moved, "frame-a", control), fingerprint);
    writeText(capture, "other content");
    EXPECT_NE(captureFingerprint(capture, "frame-a", control), fingerprint);

    EXPECT_EQ(messageOf([&] { captureFingerprint(dir / "gone.png", "f", control); }),
              (dir / "gone.png").string() + ": No such file or directory");
    control.cancel();
    EXPECT_THROW(captureFingerprint(capture, "frame-a", control), Cancelled);
}

TEST(CaptureNaming, OutputNamesFollowTheWatchersRule) {
    const std::string fingerprint(64, 'a');
    EXPECT_EQ(framedOutputName("/in/Shot 1.png", fingerprint, "png"),
              "Shot 1-framed-aaaaaaaaaaaaaaaa.png");
    // Only the last extension goes.
    EXPECT_EQ(framedOutputName("/in/a.b.mp4", "0123456789abcdef0123", "mov"),
              "a.b-framed-0123456789abcdef.mov");

    // Screenshots and MP4 exports keep the plain fingerprint; MOV formats get
    // their own.
    EXPECT_EQ(captureIdentifier("x.png", fingerprint, VideoExportFormat::proRes4444), fingerprint);
    EXPECT_EQ(captureIdentifier("x.MP4", fingerprint, VideoExportFormat::mp4), fingerprint);
    const std::string hevc = captureIdentifier("x.mp4", fingerprint, VideoExportFormat::hevcAlpha);
    EXPECT_EQ(hevc, cadrelle::fingerprint(VideoExportFormat::hevcAlpha, fingerprint));
    const std::string prores =
        captureIdentifier("x.mp4", fingerprint, VideoExportFormat::proRes4444);
    EXPECT_NE(hevc, prores);
    EXPECT_NE(prores, fingerprint);
    EXPECT_EQ(framedExtension("x.png", VideoExportFormat::hevcAlpha), "png");
    EXPECT_EQ(framedExtension("x.Mp4", VideoExportFormat::mp4), "mp4");
    EXPECT_EQ(framedExtension("x.mp4", VideoExportFormat::proRes4444), "mov");
}

TEST(CaptureNaming, CapturesAndFramedOutputsAreToldApartByExtension) {
    // A capture is a recording only as an MP4; a MOV capture is neither kind.
    EXPECT_TRUE(isRecording("/in/Screen Recording 1.MP4"));
    EXPECT_FALSE(isRecording("/in/Screen Recording 1.mov"));
    EXPECT_TRUE(isScreenshot("/in/Shot.PNG"));
    EXPECT_FALSE(isScreenshot("/in/Shot.mp4"));
    // Every framed output of a recording is a video, whatever its format.
    for (const VideoExportFormat format :
         {VideoExportFormat::mp4, VideoExportFormat::hevcAlpha, VideoExportFormat::proRes4444}) {
        const std::string name =
            framedOutputName("/in/a.mp4", std::string(64, 'b'), framedExtension("a.mp4", format));
        EXPECT_TRUE(isFramedVideo("/out/" + name)) << name;
        EXPECT_EQ(mayBeTransparentVideo("/out/" + name), format != VideoExportFormat::mp4) << name;
    }
    EXPECT_TRUE(isFramedVideo("/out/a-framed-1.MOV"));
    EXPECT_FALSE(isFramedVideo("/out/a-framed-1.png"));
    EXPECT_FALSE(mayBeTransparentVideo("/out/a-framed-1.png"));
}

TEST(CaptureDimensions, ReadsScreenshotsAndRecordingsByExtension) {
    TempDir dir;
    CaptureExportControl control;
    writeTestPng(dir / "shot.PNG", RgbaImage(30, 50, 0x336699FF));
    EXPECT_EQ(captureDimensions(dir / "shot.PNG", control).width, 30);
    EXPECT_EQ(captureDimensions(dir / "shot.PNG", control).height, 50);

    makeMp4(dir / "clip.mp4", {.rotation = 90});
    const CaptureSize clip = captureDimensions(dir / "clip.mp4", control);
    EXPECT_EQ(clip.width, 96);
    EXPECT_EQ(clip.height, 64);

    std::filesystem::copy_file(dir / "shot.PNG", dir / "shot.jpg");
    EXPECT_EQ(messageOf([&] { captureDimensions(dir / "shot.jpg", control); }),
              "Choose a PNG screenshot or an MP4 recording.");
    writeText(dir / "broken.png", "not a png at all");
    EXPECT_EQ(messageOf([&] { captureDimensions(dir / "broken.png", control); }),
              "The PNG is incomplete, damaged, or larger than 24 megapixels.");

    // The capture's own errors come before any choice of frame, even with
    // matching off.
    const std::vector<FrameAsset> assets = {frameRecord("small", "Phone", "Default", 30, 50)};
    EXPECT_EQ(messageOf([&] { selectFrame(dir / "shot.jpg", assets, "small", false, control); }),
              "Choose a PNG screenshot or an MP4 recording.");
    EXPECT_EQ(selectFrame(dir / "shot.PNG", assets, std::nullopt, true, control).id, "small");
    EXPECT_EQ(
        messageOf([&] { selectFrame(dir / "clip.mp4", assets, std::nullopt, true, control); }),
        "Import a frame for 96 \u00D7 64 captures.");
}
