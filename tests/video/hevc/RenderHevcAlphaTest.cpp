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

// The opacity the framed picture must have at each pixel of the even-sized
// output: the bezel's alpha, raised to 255 inside the opening; 0 in padding.
std::vector<int> expectedAlpha(const LoadedFrame& frame, int width, int height) {
    std::vector<int> alpha(static_cast<std::size_t>(width) * height, 0);
    const auto& image = frame.image();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
            const int bezel = image.pixels[i * 4 + 3];
            alpha[static_cast<std::size_t>(y) * width + x] =
                bezel + frame.mask()[i] * (255 - bezel) / 255;
        }
    }
    return alpha;
}

// Layer 1 of every sample, relabelled to layer 0, after the hvcC's VPS and
// layer-1 parameter sets: a single-layer stream of the alpha pictures.
std::vector<test::DecodedYuv> decodeAlphaLayer(const test::MovieVideo& video) {
    std::vector<NalUnit> headers;
    const auto& record = video.extradata;
    std::size_t at = 23;
    for (int array = 0; array < record.at(22); ++array) {
        const int count = (record.at(at + 1) << 8) | record.at(at + 2);
        at += 3;
        for (int i = 0; i < count; ++i) {
            const std::size_t size = (std::size_t{record.at(at)} << 8) | record.at(at + 1);
            NalUnit unit{NalBytes(record.begin() + static_cast<long>(at + 2),
                                  record.begin() + static_cast<long>(at + 2 + size))};
            if (unit.type() == nal::vps || (unit.layerId() == 1 && unit.type() != nal::prefixSei)) {
                headers.push_back(unit.relabelled(0));
            }
            at += 2 + size;
        }
    }
    std::vector<std::vector<std::uint8_t>> packets;
    for (const auto& sample : video.samples) {
        std::vector<NalUnit> units = packets.empty() ? headers : std::vector<NalUnit>{};
        for (const auto& unit : test::splitLengthPrefixed(sample.data)) {
            if (unit.layerId() == 1) {
                units.push_back(unit.relabelled(0));
            }
        }
        packets.push_back(joinAnnexB(units));
    }
    return test::decodeHevc(packets);
}

// The largest difference between the luma of any of `pictures` and `expected`.
template <typename Value>
int worstDifference(const std::vector<test::DecodedYuv>& pictures,
                    const std::vector<Value>& expected) {
    int worst = 0;
    for (const auto& picture : pictures) {
        EXPECT_EQ(picture.y.size(), expected.size());
        for (std::size_t i = 0; i < std::min(expected.size(), picture.y.size()); ++i) {
            worst = std::max(worst, std::abs(int{picture.y[i]} - int{expected[i]}));
        }
    }
    return worst;
}

TEST(RenderHevcAlpha, WritesColourAndAlphaLayersWithAudio) {
    test::TempDir dir;
    test::Mp4Spec spec;
    spec.frames = 40;
    spec.audioChannels = 1;
    test::makeMp4(dir / "in.mp4", spec);
    const LoadedFrame frame = test::makeTestFrame();
    CaptureExportControl control;
    std::vector<double> progress;
    renderVideo(dir / "in.mp4", dir / "out.mov", frame, control, VideoExportFormat::hevcAlpha,
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
    const auto alphaPictures = decodeAlphaLayer(video);
    ASSERT_EQ(alphaPictures.size(), 40u);
    const auto expected = expectedAlpha(frame, 82, 114);
    EXPECT_EQ(expected[50 * 82 + 4], 255);
    EXPECT_EQ(expected[60 * 82 + 40], 255);
    EXPECT_EQ(expected[0], 0);
    EXPECT_LE(worstDifference(alphaPictures, expected), 1);
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

TEST(RenderHevcAlpha, AlphaLayerKeepsTheAntiAliasedEdgesOfAShippedFrame) {
    // iPhone SE (3rd generation), black, portrait: rounded corners and a
    // bezel whose silhouette is anti-aliased all around.
    const auto inspection = inspectFrameWithImage(
        std::filesystem::path(CADRELLE_RESOURCES_DIR) / "Frames" /
        "cb1b68d4ff15be4c5a9a727b827069b67976baf231b806e2e96945645135ebaa.png");
    const LoadedFrame frame(inspection.asset, inspection.image, inspection.mask);
    test::TempDir dir;
    test::Mp4Spec spec;
    spec.width = 750;
    spec.height = 1334;
    spec.frames = 8;
    test::makeMp4(dir / "in.mp4", spec);
    CaptureExportControl control;
    renderVideo(dir / "in.mp4", dir / "out.mov", frame, control, VideoExportFormat::hevcAlpha, {});

    const auto expected = compositedAlpha(frame, 876, 1780);
    const auto partlyOpaque =
        std::count_if(expected.begin(), expected.end(), [](int a) { return a > 0 && a < 255; });
    EXPECT_GT(partlyOpaque, 500);
    const auto alphaPictures = decodeAlphaLayer(test::readMovieVideo(dir / "out.mov"));
    ASSERT_EQ(alphaPictures.size(), 8u);
    EXPECT_LE(worstDifference(alphaPictures, expected), 1);
}

TEST(RenderHevcAlpha, CancellationLeavesNothingBehind) {
    test::TempDir dir;
    test::Mp4Spec spec;
    spec.frames = 30;
    test::makeMp4(dir / "in.mp4", spec);
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
