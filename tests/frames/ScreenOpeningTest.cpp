#include "support/TestFrames.h"

#include "frames/ScreenOpening.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

const std::string kCentre = "The frame needs a transparent screen opening at its center.";
const std::string kEdge =
    "The transparent screen is open to the image edge. Choose a complete front-facing frame.";
const std::string kSmall = "The transparent opening is too small to be a device screen.";

// The raster the decoder would give for a straight-alpha picture whose
// colours do not matter here.
Raster rasterOf(const RgbaImage& image) {
    return Raster{image.width, image.height, image.pixels};
}

std::string openingMessage(const RgbaImage& image) {
    return messageOf([&] { screenOpening(rasterOf(image)); });
}

} // namespace

TEST(ScreenOpening, FindsTheRegionConnectedToTheCentre) {
    FrameDrawing drawing;
    drawing.island = true;
    RgbaImage image = drawFrame(drawing);
    // Transparent outside the body, and a transparent pixel touching the
    // opening only diagonally: neither belongs to the opening.
    image.fill(0, 0, 3, 3, 0x00000000);
    image.set(3, 5, 0x00000000);
    const ScreenOpening opening = screenOpening(rasterOf(image));

    EXPECT_EQ(opening.rect, (PixelRect{4, 6, 32, 48}));
    ASSERT_EQ(opening.mask.size(), 40u * 60u);
    auto maskAt = [&](int x, int y) { return opening.mask[static_cast<std::size_t>(y * 40 + x)]; };
    EXPECT_EQ(maskAt(4, 6), 255);
    EXPECT_EQ(maskAt(35, 53), 255);
    EXPECT_EQ(maskAt(3, 5), 0) << "diagonal neighbour joined";
    EXPECT_EQ(maskAt(0, 0), 0) << "outside transparency joined";
    EXPECT_EQ(maskAt(20, 7), 0) << "the island is not part of the opening";
    EXPECT_EQ(maskAt(3, 6), 0);
    int count = 0;
    for (const auto byte : opening.mask) {
        count += byte == 255;
    }
    EXPECT_EQ(count, 32 * 48 - 16 * 3);
}

TEST(ScreenOpening, AlphaThresholdIsBelow128) {
    FrameDrawing drawing;
    RgbaImage image = drawFrame(drawing);
    image.fill(4, 6, 32, 48, 0x0000007F);
    EXPECT_EQ(screenOpening(rasterOf(image)).rect, (PixelRect{4, 6, 32, 48}));

    image.set(20, 30, 0x00000080); // the centre pixel
    EXPECT_EQ(openingMessage(image), kCentre);
}

TEST(ScreenOpening, OpeningMustNotReachTheOutermostRing) {
    // Touching row 1 is fine.
    FrameDrawing drawing{40, 60, 4, 1, 32, 53};
    EXPECT_EQ(screenOpening(rasterOf(drawFrame(drawing))).rect, (PixelRect{4, 1, 32, 53}));
    // One pixel on row 0 fails, though everything else is closed.
    RgbaImage leaking = drawFrame(drawing);
    leaking.set(10, 0, 0x00000000);
    EXPECT_EQ(openingMessage(leaking), kEdge);
    // The same on the right and bottom edges.
    leaking = drawFrame(drawing);
    leaking.fill(36, 30, 4, 1, 0x00000000);
    EXPECT_EQ(openingMessage(leaking), kEdge);
    leaking = drawFrame(FrameDrawing{40, 60, 4, 6, 32, 54});
    EXPECT_EQ(openingMessage(leaking), kEdge);

    EXPECT_EQ(openingMessage(RgbaImage(1, 1, 0x00000000)), kEdge);
}

TEST(ScreenOpening, OpeningMustBeLargerThanAFifth) {
    // 50 × 40 = 2000 pixels; a fifth is 400.
    RgbaImage image(50, 40, kBezel);
    image.fill(15, 10, 20, 20, 0x00000000); // 400 pixels containing (25, 20)
    EXPECT_EQ(openingMessage(image), kSmall);
    image.set(15, 30, 0x00000000); // 401
    EXPECT_EQ(screenOpening(rasterOf(image)).rect, (PixelRect{15, 10, 20, 21}));
}

TEST(ScreenOpening, HandlesTheLargestFrame) {
    // 10,000 × 2,400 with an opening of all but a two-pixel border: linear
    // work and one mask byte per pixel.
    Raster raster{10000, 2400, std::vector<std::uint8_t>(96'000'000, 0)};
    for (std::int64_t y = 0; y < 2400; ++y) {
        for (std::int64_t x = 0; x < 10000; ++x) {
            if (x < 2 || y < 2 || x >= 9998 || y >= 2398) {
                raster.pixels[static_cast<std::size_t>((y * 10000 + x) * 4 + 3)] = 255;
            }
        }
    }
    const ScreenOpening opening = screenOpening(raster);
    EXPECT_EQ(opening.rect, (PixelRect{2, 2, 9996, 2396}));
    EXPECT_EQ(opening.mask.size(), 24'000'000u);
}
