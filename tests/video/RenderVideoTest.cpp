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
using Stored = std::array<std::pair<int, int>, 4>;

// The stored pixels of a 64 × 96 recording (96 × 64 when turned) that show in
// its display quadrants: top left, top right, bottom left, bottom right.
constexpr Stored kUpright = {{{0, 0}, {63, 0}, {0, 95}, {63, 95}}};
constexpr Stored kQuarterTurned = {{{0, 63}, {0, 0}, {95, 63}, {95, 0}}};
constexpr Stored kMirrored = {{{63, 0}, {0, 0}, {63, 95}, {0, 95}}};

// Checks the centre of each display quadrant inside the opening of the
// framed picture against the recording's colour at the stored pixel shown there.
void expectRecordingInOpening(const test::DecodedPicture& picture, const test::Mp4Spec& spec,
                              const Stored& stored = kUpright) {
    const int xs[2] = {test::kOpeningX + 16, test::kOpeningX + 48};
    const int ys[2] = {test::kOpeningY + 24, test::kOpeningY + 72};
    for (std::size_t q = 0; q < 4; ++q) {
        const test::Rgb c = test::quadrantColour(spec, stored[q].first, stored[q].second);
        const Rgba seen = picture.at(xs[q % 2], ys[q / 2]);
        EXPECT_TRUE(test::near(seen, Rgba{c.r, c.g, c.b, 255}, 14))
            << "quadrant " << q << ": " << seen.r << "," << seen.g << "," << seen.b << ","
            << seen.a;
    }
}

// Frames a recording made as `spec` says into the test frame and decodes the result.
test::DecodedMovie framed(const test::TempDir& dir, const test::Mp4Spec& spec,
                          const std::string& output, VideoExportFormat format) {
    test::makeMp4(dir / (output + ".mp4"), spec);
    renderVideo(dir / (output + ".mp4"), dir / output, test::makeTestFrame(), {}, format, {});
    return test::decodeMovie(dir / output);
}

} // namespace

TEST(RenderVideo, Mp4ShowsRecordingInsideBlackOutsideBezelOverAndKeepsAudio) {
    test::TempDir dir;
    const test::Mp4Spec spec{.frames = 12, .audioChannels = 2};
    test::makeMp4(dir / "in.mp4", spec);
    std::vector<double> progress;
    renderVideo(dir / "in.mp4", dir / "out.mp4", test::makeTestFrame(), {}, VideoExportFormat::mp4,
                [&](double value) { progress.push_back(value); });

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
    expectRecordingInOpening(picture, spec);
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
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.mp4", "out.mp4"}));
}

TEST(RenderVideo, ProResKeepsTransparencyOutsideTheDevice) {
    test::TempDir dir;
    const test::Mp4Spec spec{.frames = 3};
    const auto movie = framed(dir, spec, "out.MOV", VideoExportFormat::proRes4444);
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
    expectRecordingInOpening(picture, spec);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"out.MOV", "out.MOV.mp4"}));
}

TEST(RenderVideo, KeepsVariableFrameTimingAndDuration) {
    test::TempDir dir;
    // In 1/600 s, as a simulator writes them.
    const test::Mp4Spec spec{.times = {0, 20, 50, 130, 400, 410}, .audioChannels = 1};
    const auto out = framed(dir, spec, "out.mp4", VideoExportFormat::mp4);
    ASSERT_EQ(out.pictures.size(), spec.times.size());
    for (std::size_t i = 0; i < spec.times.size(); ++i) {
        EXPECT_NEAR(out.pictures[i].seconds, spec.times[i] / 600.0, 0.002) << i;
    }
    EXPECT_NEAR(out.duration, test::decodeMovie(dir / "out.mp4.mp4").duration, 0.03);
    ASSERT_EQ(out.streams.size(), 2u);
    EXPECT_EQ(out.streams[1].codec, "aac");
    EXPECT_EQ(out.streams[1].channels, 1);
}

// Pictures that change size mid-stream are framed at the track's size, and
// the display matrix turns or mirrors every picture upright.
TEST(RenderVideo, ShowsEveryPictureUprightAtTheTrackSize) {
    test::TempDir dir;
    // Half the size from the fourth picture on.
    const test::Mp4Spec resized{
        .frames = 6, .resizeAt = 3, .resizedWidth = 32, .resizedHeight = 48};
    // Stored landscape, turned a quarter clockwise for display, and in full
    // range after the change.
    const test::Mp4Spec turned{.width = 96,
                               .height = 64,
                               .frames = 4,
                               .rotation = 90,
                               .resizeAt = 2,
                               .resizedWidth = 48,
                               .resizedHeight = 32,
                               .resizedFullRange = true};
    const test::Mp4Spec mirrored{.frames = 2, .mirror = true};
    // ProRes converts every picture; mp4 passes same-sized ones through.
    const std::tuple<const test::Mp4Spec&, Stored, VideoExportFormat, const char*> cases[] = {
        {resized, kUpright, VideoExportFormat::mp4, "resized.mp4"},
        {resized, kUpright, VideoExportFormat::proRes4444, "resized.mov"},
        {turned, kQuarterTurned, VideoExportFormat::mp4, "turned.mp4"},
        {mirrored, kMirrored, VideoExportFormat::proRes4444, "mirrored.mov"}};
    for (const auto& [spec, stored, format, name] : cases) {
        SCOPED_TRACE(name);
        const auto out = framed(dir, spec, name, format);
        ASSERT_EQ(out.pictures.size(), static_cast<std::size_t>(spec.frames));
        for (const auto& picture : out.pictures) {
            SCOPED_TRACE(picture.seconds);
            expectRecordingInOpening(picture, spec, stored);
        }
    }
    const auto in = test::decodeMovie(dir / "resized.mp4.mp4");
    ASSERT_EQ(in.pictures.size(), 6u);
    EXPECT_EQ(in.pictures[2].width, 64);
    EXPECT_EQ(in.pictures[3].width, 32);
    EXPECT_EQ(in.pictures[3].height, 48);
}

} // namespace cadrelle
