#include "video/RenderVideo.h"

#include "core/AppError.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"
#include "support/VideoTestSupport.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace cadrelle {

namespace {

using test::Rgba;

Rgba opaque(const test::Rgb& c) {
    return Rgba{c.r, c.g, c.b, 255};
}

// The recording's colour at the centre of each display quadrant, checked
// inside the opening of the framed picture.
void expectRecordingInOpening(const test::DecodedPicture& picture, const Rgba quadrants[4]) {
    const int xs[2] = {test::kOpeningX + 16, test::kOpeningX + 48};
    const int ys[2] = {test::kOpeningY + 24, test::kOpeningY + 72};
    for (int q = 0; q < 4; ++q) {
        const Rgba seen = picture.at(xs[q % 2], ys[q / 2]);
        EXPECT_TRUE(test::near(seen, quadrants[q], 14)) << "quadrant " << q << ": " << seen.r << ","
                                                        << seen.g << "," << seen.b << "," << seen.a;
    }
}

void expectOnly(const test::TempDir& dir, std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    EXPECT_EQ(dir.entries(), names);
}

} // namespace

TEST(RenderVideo, Mp4ShowsRecordingInsideBlackOutsideBezelOverAndKeepsAudio) {
    test::TempDir dir;
    test::Mp4Spec spec;
    spec.frames = 12;
    spec.audioChannels = 2;
    test::makeMp4(dir / "in.mp4", spec);
    CaptureExportControl control;
    std::vector<double> progress;
    renderVideo(dir / "in.mp4", dir / "out.mp4", test::makeTestFrame(), control,
                VideoExportFormat::mp4, [&](double value) { progress.push_back(value); });

    const auto movie = test::decodeMovie(dir / "out.mp4");
    ASSERT_EQ(movie.streams.size(), 2u);
    EXPECT_EQ(movie.streams[0].codec, "h264");
    EXPECT_EQ(movie.streams[0].profile, FF_PROFILE_H264_HIGH);
    EXPECT_EQ(movie.streams[0].width, 82); // 81 rounded up to even
    EXPECT_EQ(movie.streams[0].height, 114);
    EXPECT_TRUE(movie.streams[0].bt709Tags);
    EXPECT_EQ(movie.streams[1].codec, "aac");
    EXPECT_EQ(movie.streams[1].channels, 2);
    EXPECT_EQ(movie.streams[1].sampleRate, 44100);
    EXPECT_NEAR(movie.duration, 12.0 / 30, 0.03);
    ASSERT_EQ(movie.pictures.size(), 12u);

    const auto& picture = movie.pictures[5];
    const Rgba quadrants[4] = {
        opaque(test::quadrantColour(spec, 0, 0)), opaque(test::quadrantColour(spec, 63, 0)),
        opaque(test::quadrantColour(spec, 0, 95)), opaque(test::quadrantColour(spec, 63, 95))};
    expectRecordingInOpening(picture, quadrants);
    EXPECT_TRUE(test::near(picture.at(40, 13), Rgba{255, 0, 255, 255}, 30)); // island
    EXPECT_TRUE(test::near(picture.at(4, 50), Rgba{90, 90, 90, 255}));       // bezel
    EXPECT_TRUE(test::near(picture.at(0, 0), Rgba{0, 0, 0, 255}));           // outside
    EXPECT_TRUE(test::near(picture.at(81, 60), Rgba{0, 0, 0, 255}));         // padding column
    EXPECT_TRUE(test::near(picture.at(40, 113), Rgba{0, 0, 0, 255}));        // padding row

    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress[0], 0.0);
    EXPECT_EQ(progress[1], 0.0);
    EXPECT_EQ(progress.back(), 1.0);
    for (std::size_t i = 2; i + 1 < progress.size(); ++i) {
        EXPECT_GT(progress[i], progress[i - 1]);
        EXPECT_LE(progress[i], 0.99);
    }
    expectOnly(dir, {"in.mp4", "out.mp4"});
}

TEST(RenderVideo, ProResKeepsTransparencyOutsideTheDevice) {
    test::TempDir dir;
    test::Mp4Spec spec;
    spec.frames = 3;
    test::makeMp4(dir / "in.mp4", spec);
    CaptureExportControl control;
    renderVideo(dir / "in.mp4", dir / "out.MOV", test::makeTestFrame(), control,
                VideoExportFormat::proRes4444, {});

    const auto movie = test::decodeMovie(dir / "out.MOV");
    ASSERT_EQ(movie.streams.size(), 1u); // no audio in, no audio out
    EXPECT_EQ(movie.container.find("mov"), 0u);
    EXPECT_EQ(movie.streams[0].codec, "prores");
    EXPECT_EQ(movie.streams[0].pixelFormat.rfind("yuva444p", 0), 0u);
    ASSERT_EQ(movie.pictures.size(), 3u);
    const auto& picture = movie.pictures[1];
    EXPECT_EQ(picture.at(0, 0).a, 0);
    EXPECT_EQ(picture.at(81, 113).a, 0);
    EXPECT_EQ(picture.at(4, 50).a, 255);
    EXPECT_EQ(picture.at(40, 60).a, 255);
    EXPECT_TRUE(test::near(picture.at(4, 50), Rgba{90, 90, 90, 255}, 4));
    EXPECT_TRUE(test::near(picture.at(40, 13), Rgba{255, 0, 255, 255}, 4)); // island
    // The half-transparent edge of the opening blends bezel and recording.
    const Rgba edge = picture.at(test::kOpeningX, 30);
    EXPECT_TRUE(test::near(edge, Rgba{155, 65, 65, 255}, 5))
        << edge.r << "," << edge.g << "," << edge.b << "," << edge.a;
    const Rgba quadrants[4] = {
        opaque(test::quadrantColour(spec, 0, 0)), opaque(test::quadrantColour(spec, 63, 0)),
        opaque(test::quadrantColour(spec, 0, 95)), opaque(test::quadrantColour(spec, 63, 95))};
    expectRecordingInOpening(picture, quadrants);
    expectOnly(dir, {"in.mp4", "out.MOV"});
}

TEST(RenderVideo, TurnsRecordingsUprightByTheirDisplayMatrix) {
    test::TempDir dir;
    CaptureExportControl control;
    const LoadedFrame frame = test::makeTestFrame();

    // Stored landscape, turned a quarter clockwise for display.
    test::Mp4Spec turned;
    turned.width = 96;
    turned.height = 64;
    turned.rotation = 90;
    test::makeMp4(dir / "turned.mp4", turned);
    renderVideo(dir / "turned.mp4", dir / "turned-out.mp4", frame, control, VideoExportFormat::mp4,
                {});
    const auto stored = [](const test::Mp4Spec& spec, int x, int y) {
        return opaque(test::quadrantColour(spec, x, y));
    };
    const Rgba clockwise[4] = {stored(turned, 0, 63), stored(turned, 0, 0), stored(turned, 95, 63),
                               stored(turned, 95, 0)};
    expectRecordingInOpening(test::decodeMovie(dir / "turned-out.mp4").pictures.at(0), clockwise);

    // Mirrored left to right.
    test::Mp4Spec mirrored;
    mirrored.mirror = true;
    test::makeMp4(dir / "mirrored.mp4", mirrored);
    renderVideo(dir / "mirrored.mp4", dir / "mirrored-out.mov", frame, control,
                VideoExportFormat::proRes4444, {});
    const Rgba mirror[4] = {stored(mirrored, 63, 0), stored(mirrored, 0, 0),
                            stored(mirrored, 63, 95), stored(mirrored, 0, 95)};
    expectRecordingInOpening(test::decodeMovie(dir / "mirrored-out.mov").pictures.at(0), mirror);
}

TEST(RenderVideo, KeepsVariableFrameTimingAndDuration) {
    test::TempDir dir;
    test::Mp4Spec spec;
    spec.frames = 6;
    spec.times = {0, 20, 50, 130, 400, 410}; // 1/600 s, as a simulator writes them
    spec.audioChannels = 1;
    test::makeMp4(dir / "in.mp4", spec);
    CaptureExportControl control;
    renderVideo(dir / "in.mp4", dir / "out.mp4", test::makeTestFrame(), control,
                VideoExportFormat::mp4, {});
    const auto in = test::decodeMovie(dir / "in.mp4");
    const auto out = test::decodeMovie(dir / "out.mp4");
    ASSERT_EQ(out.pictures.size(), spec.times.size());
    for (std::size_t i = 0; i < spec.times.size(); ++i) {
        EXPECT_NEAR(out.pictures[i].seconds, in.pictures[i].seconds, 0.002) << i;
        EXPECT_NEAR(out.pictures[i].seconds, spec.times[i] / 600.0, 0.002) << i;
    }
    EXPECT_NEAR(out.duration, in.duration, 0.03);
    ASSERT_EQ(out.streams.size(), 2u);
    EXPECT_EQ(out.streams[1].codec, "aac");
    EXPECT_EQ(out.streams[1].channels, 1);
}

TEST(RenderVideo, FramesPicturesThatChangeSizeMidStreamAtTheTrackSize) {
    test::TempDir dir;
    CaptureExportControl control;
    const LoadedFrame frame = test::makeTestFrame();
    const auto stored = [](const test::Mp4Spec& spec, int x, int y) {
        return opaque(test::quadrantColour(spec, x, y));
    };

    // Half the size from the fourth picture on.
    test::Mp4Spec resized;
    resized.frames = 6;
    resized.resizeAt = 3;
    resized.resizedWidth = 32;
    resized.resizedHeight = 48;
    test::makeMp4(dir / "resized.mp4", resized);
    const auto in = test::decodeMovie(dir / "resized.mp4");
    ASSERT_EQ(in.pictures.size(), 6u);
    EXPECT_EQ(in.pictures[2].width, 64);
    EXPECT_EQ(in.pictures[3].width, 32);
    EXPECT_EQ(in.pictures[3].height, 48);
    const Rgba quadrants[4] = {stored(resized, 0, 0), stored(resized, 63, 0),
                               stored(resized, 0, 95), stored(resized, 63, 95)};
    // ProRes converts every picture; mp4 passes same-sized ones through.
    const std::pair<VideoExportFormat, const char*> outputs[] = {
        {VideoExportFormat::mp4, "resized-out.mp4"},
        {VideoExportFormat::proRes4444, "resized-out.mov"}};
    for (const auto& [format, name] : outputs) {
        SCOPED_TRACE(name);
        renderVideo(dir / "resized.mp4", dir / name, frame, control, format, {});
        const auto out = test::decodeMovie(dir / name);
        ASSERT_EQ(out.pictures.size(), 6u);
        for (const auto& picture : out.pictures) {
            SCOPED_TRACE(picture.seconds);
            expectRecordingInOpening(picture, quadrants);
        }
    }

    // Turned for display, and in full range after the change.
    test::Mp4Spec turned;
    turned.width = 96;
    turned.height = 64;
    turned.rotation = 90;
    turned.frames = 4;
    turned.resizeAt = 2;
    turned.resizedWidth = 48;
    turned.resizedHeight = 32;
    turned.resizedFullRange = true;
    test::makeMp4(dir / "turned.mp4", turned);
    renderVideo(dir / "turned.mp4", dir / "turned-out.mp4", frame, control, VideoExportFormat::mp4,
                {});
    const auto out = test::decodeMovie(dir / "turned-out.mp4");
    ASSERT_EQ(out.pictures.size(), 4u);
    const Rgba clockwise[4] = {stored(turned, 0, 63), stored(turned, 0, 0), stored(turned, 95, 63),
                               stored(turned, 95, 0)};
    for (const auto& picture : out.pictures) {
        SCOPED_TRACE(picture.seconds);
        expectRecordingInOpening(picture, clockwise);
    }
}

} // namespace cadrelle
