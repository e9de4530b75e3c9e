#include "support/TestFrames.h"

#include "frames/Compositor.h"
#include "frames/InspectFrame.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

struct Fixture {
    TempDir dir;
    std::filesystem::path framePath = writeFrame(dir / "Phone.png", {40, 60, 4, 6, 32, 48, true});
    LoadedFrame frame{inspectFrame(framePath), framePath};
    std::filesystem::path shotPath = dir / "shot.png";
    RgbaImage shot = drawScreenshot(32, 48);

    Fixture() { writeTestPng(shotPath, shot); }
};

std::uint32_t straight(const RgbaImage& image, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = image.pixels.data() + (std::size_t{y} * image.width + x) * 4;
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

} // namespace

TEST(Render, PutsTheScreenshotOneToOneBehindTheFrame) {
    Fixture f;
    const auto output = f.dir / "out/framed.png";
    render(f.shotPath, output, f.frame);

    const Raster framed = Raster::load(output);
    ASSERT_EQ(framed.width, 40);
    ASSERT_EQ(framed.height, 60);
    // Screenshot 1:1 in the opening.
    EXPECT_EQ(pixelAt(framed, 4, 6), straight(f.shot, 0, 0));
    EXPECT_EQ(pixelAt(framed, 35, 53), straight(f.shot, 31, 47));
    EXPECT_EQ(pixelAt(framed, 10, 30), straight(f.shot, 6, 24));
    // The island and the bezel show the frame.
    EXPECT_EQ(pixelAt(framed, 20, 8), kIsland);
    EXPECT_EQ(pixelAt(framed, 2, 2), kBezel);
}

TEST(Render, BlendsTranslucentBezelAndKeepsOutsideTransparent) {
    TempDir dir;
    RgbaImage art = drawFrame({});
    art.fill(0, 0, 40, 2, 0x00000000); // transparent outside the body
    art.fill(4, 5, 32, 1, 0xFF000080); // half-transparent red edge above the opening
    art.fill(4, 6, 32, 1, 0xFF00007F); // translucent first opening row: inside the mask
    const auto framePath = dir / "Phone.png";
    writeTestPng(framePath, art);
    const LoadedFrame frame(inspectFrame(framePath), framePath);
    const auto shotPath = dir / "shot.png";
    writeTestPng(shotPath, RgbaImage(32, 48, 0x0000FFFF));

    render(shotPath, dir / "out.png", frame);
    const Raster framed = Raster::load(dir / "out.png");
    EXPECT_EQ(pixelAt(framed, 0, 0), 0x00000000u);
    EXPECT_EQ(pixelAt(framed, 39, 1), 0x00000000u);
    // Above the opening the screenshot is clipped away: only the red remains
    // (premultiplied when read back).
    EXPECT_EQ(pixelAt(framed, 10, 5), 0x80000080u);
    // Inside the opening red at alpha 127 over opaque blue.
    const std::uint32_t mixed = pixelAt(framed, 10, 6);
    EXPECT_EQ(mixed & 0xFF, 0xFFu);
    EXPECT_NEAR(static_cast<int>(mixed >> 24), 127, 1);
    EXPECT_NEAR(static_cast<int>((mixed >> 8) & 0xFF), 128, 1);
}

TEST(Render, RefusesWrongSizesAndTheInputAsOutput) {
    Fixture f;
    const auto rotated = f.dir / "rotated.png";
    writeTestPng(rotated, drawScreenshot(48, 32));
    EXPECT_EQ(messageOf([&] { render(rotated, f.dir / "a.png", f.frame); }),
              "This frame needs a 32 \u00D7 48 screenshot; this image is 48 \u00D7 32. Choose a "
              "matching frame or orientation.");

    const std::string same = "The output must be a separate file from the screenshot.";
    EXPECT_EQ(messageOf([&] { render(f.shotPath, f.shotPath, f.frame); }), same);
    std::filesystem::create_symlink(f.shotPath, f.dir / "link.png");
    EXPECT_EQ(messageOf([&] { render(f.shotPath, f.dir / "link.png", f.frame); }), same);
    EXPECT_EQ(messageOf([&] { render(f.dir / "link.png", f.dir / "./shot.png", f.frame); }), same);
    // Checked before the screenshot is read: a missing input gives the same.
    EXPECT_EQ(messageOf([&] { render(f.dir / "none.png", f.dir / "none.png", f.frame); }), same);

    // A damaged screenshot fails like any PNG.
    writeBytes(f.dir / "bad.png", std::vector<std::uint8_t>(50, 1));
    EXPECT_EQ(messageOf([&] { render(f.dir / "bad.png", f.dir / "b.png", f.frame); }),
              "The PNG is incomplete, damaged, or larger than 24 megapixels.");
    EXPECT_FALSE(std::filesystem::exists(f.dir / "a.png"));
    EXPECT_FALSE(std::filesystem::exists(f.dir / "b.png"));
}
