#include "HevcTestMedia.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"
#include "support/VideoTestSupport.h"

#include "core/AppError.h"
#include "core/FileIO.h"
#include "frames/InspectFrame.h"
#include "video/FrameCompositor.h"
#include "video/RenderVideo.h"
#include "video/hevc/QuickTimeBox.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cadrelle {
namespace {

using test::Rgba;

// The largest difference between the luma of any of `pictures` and `expected`.
int worstDifference(const std::vector<test::DecodedYuv>& pictures,
                    const std::vector<std::uint8_t>& expected) {
    int worst = 0;
    for (const auto& picture : pictures) {
        EXPECT_EQ(picture.y.size(), expected.size());
        for (std::size_t i = 0; i < std::min(expected.size(), picture.y.size()); ++i) {
            worst = std::max(worst, std::abs(int{picture.y[i]} - int{expected[i]}));
        }
    }
    return worst;
}

// The opacity the compositor gives each pixel of a framed picture (the same
// for every recording picture).
std::vector<std::uint8_t> compositedAlpha(const LoadedFrame& frame, int width, int height) {
    FrameCompositor compositor(frame, width, height, {AV_PIX_FMT_YUVA420P, true});
    const FramePtr recording = makeFrame();
    recording->format = compositor.recordingFormat();
    recording->width = static_cast<int>(frame.asset().screen.width);
    recording->height = static_cast<int>(frame.asset().screen.height);
    EXPECT_GE(av_frame_get_buffer(recording.get(), 0), 0);
    const AVFrame* framed = compositor.compose(*recording);
    std::vector<std::uint8_t> alpha;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = framed->data[3] + std::ptrdiff_t{y} * framed->linesize[3];
        alpha.insert(alpha.end(), row, row + width);
    }
    return alpha;
}

TEST(RenderHevcAlpha, WritesColourAndAlphaLayersWithAudio) {
    test::TempDir dir;
    const test::Mp4Spec spec{.frames = 40, .audioChannels = 1};
    test::makeMp4(dir / "in.mp4", spec);
    const LoadedFrame frame = test::makeTestFrame();
    std::vector<double> progress;
    renderVideo(dir / "in.mp4", dir / "out.mov", frame, {}, VideoExportFormat::hevcAlpha,
                [&](double value) { progress.push_back(value); });
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.mp4", "out.mov"}));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0.0);
    EXPECT_EQ(progress.back(), 1.0);

    // Any HEVC player sees the colour layer: premultiplied, black outside the device.
    const auto movie = test::decodeMovie(dir / "out.mov");
    ASSERT_EQ(movie.streams.size(), 2u);
    EXPECT_EQ(movie.container.find("mov"), 0u);
    EXPECT_EQ(movie.streams[0].codec, "hevc");
    EXPECT_EQ(movie.streams[0].width, 82);
    EXPECT_EQ(movie.streams[0].height, 114);
    EXPECT_TRUE(movie.streams[0].bt709Tags);
    EXPECT_EQ(movie.streams[1].codec, "aac");
    EXPECT_EQ(movie.streams[1].channels, 1);
    EXPECT_NEAR(movie.duration, 40.0 / 30, 0.05);
    ASSERT_EQ(movie.pictures.size(), 40u);
    const auto& picture = movie.pictures[20];
    EXPECT_TRUE(test::near(picture.at(0, 0), Rgba{0, 0, 0, 255}, 6));
    EXPECT_TRUE(test::near(picture.at(81, 60), Rgba{0, 0, 0, 255}, 6));
    EXPECT_TRUE(test::near(picture.at(4, 50), Rgba{90, 90, 90, 255}, 8));
    EXPECT_TRUE(test::near(picture.at(40, 13), Rgba{255, 0, 255, 255}, 30));
    const auto quadrant = test::quadrantColour(spec, 0, 0);
    EXPECT_TRUE(test::near(picture.at(test::kOpeningX + 16, test::kOpeningY + 24),
                           Rgba{quadrant.r, quadrant.g, quadrant.b, 255}, 14));

    // The track is one hvc1 sample entry with both layers and the almo box.
    const test::MovieVideo video = test::readMovieVideo(dir / "out.mov");
    EXPECT_EQ(video.codecTag, fourCC("1cvh"));
    ASSERT_EQ(video.samples.size(), 40u);
    EXPECT_TRUE(video.samples[0].keyframe);
    const Bytes file = readFile(dir / "out.mov", kMaxPngFileBytes);
    const std::vector<std::uint8_t> almo = {0, 0, 0, 12, 'a', 'l', 'm', 'o', 0, 0, 1, 2};
    EXPECT_NE(std::search(file.begin(), file.end(), almo.begin(), almo.end()), file.end());

    // The alpha layer holds the frame's opacity within ±1 on every pixel:
    // 0 outside the device, 255 under the bezel and in the opening.
    const auto alphaPictures = test::decodeAlphaLayer(video);
    ASSERT_EQ(alphaPictures.size(), 40u);
    const auto expected = compositedAlpha(frame, 82, 114);
    EXPECT_EQ(expected[50 * 82 + 4], 255);
    EXPECT_EQ(expected[60 * 82 + 40], 255);
    EXPECT_EQ(expected[0], 0);
    EXPECT_LE(worstDifference(alphaPictures, expected), 1);
}

TEST(RenderHevcAlpha, AlphaLayerKeepsTheAntiAliasedEdgesOfAShippedFrame) {
    // iPhone SE (3rd generation), black, portrait: rounded corners and a
    // bezel whose silhouette is anti-aliased all around.
    const auto inspection = inspectFrameWithImage(
        std::filesystem::path(CADRELLE_RESOURCES_DIR) / "Frames" /
        "cb1b68d4ff15be4c5a9a727b827069b67976baf231b806e2e96945645135ebaa.png");
    const LoadedFrame frame(inspection.asset, inspection.image, inspection.mask);
    test::TempDir dir;
    test::makeMp4(dir / "in.mp4", {.width = 750, .height = 1334, .frames = 8});
    renderVideo(dir / "in.mp4", dir / "out.mov", frame, {}, VideoExportFormat::hevcAlpha, {});

    const auto expected = compositedAlpha(frame, 876, 1780);
    const auto partlyOpaque =
        std::count_if(expected.begin(), expected.end(), [](int a) { return a > 0 && a < 255; });
    EXPECT_GT(partlyOpaque, 500);
    const auto alphaPictures = test::decodeAlphaLayer(test::readMovieVideo(dir / "out.mov"));
    ASSERT_EQ(alphaPictures.size(), 8u);
    EXPECT_LE(worstDifference(alphaPictures, expected), 1);
}

TEST(RenderHevcAlpha, CancellationLeavesNothingBehind) {
    test::TempDir dir;
    test::makeMp4(dir / "in.mp4", {.frames = 30});
    CaptureExportControl control;
    EXPECT_THROW(renderVideo(dir / "in.mp4", dir / "out.mov", test::makeTestFrame(), control,
                             VideoExportFormat::hevcAlpha,
                             [&](double value) {
                                 if (value >= 0.5) {
                                     control.cancel();
                                 }
                             }),
                 Cancelled);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.mp4"});
}

} // namespace
} // namespace cadrelle
