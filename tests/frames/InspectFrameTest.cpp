#include "support/TestFrames.h"

#include "core/FileIO.h"
#include "core/Sha256.h"
#include "frames/InspectFrame.h"
#include "frames/LoadedFrame.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

const std::string kChanged = "The frame changed since import. Import it again.";

} // namespace

TEST(InspectFrame, NamesModelAndColorFromTheFileName) {
    TempDir dir;
    struct Case {
        std::string file, name, model, color;
    };
    const std::vector<Case> cases = {
        {"iPhone 18 Pro - Black - Portrait.png", "iPhone 18 Pro \u2014 Black", "iPhone 18 Pro",
         "Black"},
        {"iPhone 18 Pro - Portrait.png", "iPhone 18 Pro - Portrait", "iPhone 18 Pro", "Default"},
        {"iPad.png", "iPad", "iPad", "Default"},
        {"iPad-Air - Blue - Landscape - extra.PNG", "iPad-Air \u2014 Blue", "iPad-Air", "Blue"},
    };
    for (const auto& c : cases) {
        const auto path = writeFrame(dir / c.file);
        const FrameAsset asset = inspectFrame(path);
        EXPECT_EQ(asset.name, c.name);
        EXPECT_EQ(asset.model, c.model);
        EXPECT_EQ(asset.color, c.color);
    }

    const auto first = writeFrame(dir / "A - Red - Portrait.png");
    const auto asset = inspectFrame(first);
    const std::string digest = sha256(readFile(first, kMaxPngFileBytes));
    EXPECT_EQ(asset.id, digest);
    EXPECT_EQ(asset.digest, digest);
    EXPECT_EQ(asset.file, digest + ".png");
    EXPECT_EQ(asset.screen, (PixelRect{4, 6, 32, 48}));
    EXPECT_EQ(asset.pixelWidth, 40);
    EXPECT_EQ(asset.pixelHeight, 60);
    EXPECT_FALSE(asset.isBundled.has_value());
    EXPECT_FALSE(asset.isLandscape());
    EXPECT_EQ(frameKey(asset), "A \u2014 Red \u00B7 Portrait");

    // The same bytes under another name are the same frame.
    const auto copy = writeFrame(dir / "Other.png");
    EXPECT_EQ(inspectFrame(copy).id, asset.id);
}

TEST(InspectFrame, KeepsTheDecodedImageForFraming) {
    TempDir dir;
    const auto path = writeFrame(dir / "Phone.png", FrameDrawing{40, 60, 4, 6, 32, 48, true});
    FrameInspection inspection = inspectFrameWithImage(path);
    EXPECT_EQ(inspection.asset, inspectFrame(path));
    EXPECT_EQ(inspection.image.pixels, Raster::load(path).pixels);
    EXPECT_EQ(inspection.mask.size(), 40u * 60u);

    const LoadedFrame loaded(inspection.asset, inspection.image, inspection.mask);
    const LoadedFrame fromFile(inspection.asset, path);
    EXPECT_EQ(loaded.image().pixels, fromFile.image().pixels);
    EXPECT_EQ(loaded.mask(), fromFile.mask());

    // An inspection whose parts do not fit together.
    EXPECT_EQ(messageOf([&] {
                  LoadedFrame(inspection.asset, inspection.image, std::vector<std::uint8_t>(3));
              }),
              "Unable to read frame transparency.");
}

TEST(LoadedFrame, RefusesAFrameThatChangedSinceImport) {
    TempDir dir;
    const auto path = writeFrame(dir / "Phone.png");
    const FrameAsset asset = inspectFrame(path);
    EXPECT_NO_THROW(LoadedFrame(asset, path));

    // One bezel pixel changed: same opening, different bytes.
    RgbaImage edited = drawFrame({});
    edited.set(1, 1, 0x303030FF);
    writeTestPng(path, edited);
    EXPECT_EQ(messageOf([&] { LoadedFrame(asset, path); }), kChanged);

    // A record whose opening or size differs from the file.
    writeFrame(path);
    FrameAsset moved = asset;
    moved.screen.x += 1;
    EXPECT_EQ(messageOf([&] { LoadedFrame(moved, path); }), kChanged);
    FrameAsset wider = asset;
    wider.pixelWidth += 1;
    EXPECT_EQ(messageOf([&] { LoadedFrame(wider, path); }), kChanged);

    // Decoding and opening errors pass through unchanged.
    writeTestPng(path, RgbaImage(40, 60, kBezel));
    EXPECT_EQ(messageOf([&] { LoadedFrame(asset, path); }),
              "The frame needs a transparent screen opening at its center.");
}
