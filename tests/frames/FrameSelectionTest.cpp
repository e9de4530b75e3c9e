#include "support/TestFrames.h"

#include "frames/FrameSelection.h"
#include "frames/ShippedFrames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

// The id of the frame chosen, or the message of the error.
std::string choice(CaptureSize size, const std::string& fileName,
                   const std::vector<FrameAsset>& assets,
                   const std::optional<std::string>& selected = std::nullopt,
                   bool automatic = true) {
    try {
        return selectFrame(size, fileName, assets, selected, automatic).id;
    } catch (const std::exception& error) {
        return error.what();
    }
}

const std::string kMultiple =
    "Multiple device models use this resolution. Choose the matching preferred frame in "
    "Settings or include the device model in the capture filename.";

} // namespace

TEST(FrameSelection, MatchingOffUsesThePreferredFrameWhateverItsSize) {
    const std::vector<FrameAsset> assets = {frameRecord("a", "iPhone 18", "Black", 100, 200),
                                            frameRecord("b", "iPhone 18", "Silver", 300, 400)};
    EXPECT_EQ(choice({100, 200}, "shot.png", assets, "b", false), "b");
    EXPECT_EQ(choice({100, 200}, "shot.png", assets, "zzz", false), "Choose a frame in Settings.");
    EXPECT_EQ(choice({100, 200}, "shot.png", assets, std::nullopt, false),
              "Choose a frame in Settings.");
}

TEST(FrameSelection, MatchesBySizeAndNamesTheMissingSize) {
    const std::vector<FrameAsset> assets = {frameRecord("land", "iPhone 18", "Black", 200, 100),
                                            frameRecord("port", "iPhone 18", "Black", 100, 200),
                                            frameRecord("other", "iPad 9", "Silver", 300, 400)};
    // One frame of the size wins whatever the preferred frame is.
    EXPECT_EQ(choice({100, 200}, "shot.png", assets, "other"), "port");
    EXPECT_EQ(choice({200, 100}, "shot.png", assets), "land");
    // A portrait capture does not fit a landscape opening of the swapped size.
    const std::vector<FrameAsset> landscapeOnly = {assets[0]};
    EXPECT_EQ(choice({100, 200}, "shot.png", landscapeOnly),
              "Import a frame for 100 \u00D7 200 captures.");
    EXPECT_EQ(choice({1206, 2622}, "shot.png", {}),
              "Import a frame for 1206 \u00D7 2622 captures.");
}

TEST(FrameSelection, TheModelInTheFileNameSettlesSharedSizes) {
    const std::vector<FrameAsset> assets = {
        frameRecord("pro-black", "iPhone 18 Pro", "Black", 100, 200),
        frameRecord("pro-silver", "iPhone 18 Pro", "Silver", 100, 200),
        frameRecord("max-black", "iPhone 18 Pro Max", "Black", 100, 200),
        frameRecord("max-silver", "iPhone 18 Pro Max", "Silver", 100, 200)};
    EXPECT_EQ(choice({100, 200}, "Simulator Screenshot - 2026.png", assets), kMultiple);
    EXPECT_EQ(choice({100, 200}, "Simulator Screenshot - IPHONE 18 PRO - 1.png", assets),
              "pro-black");
    // The longer model name wins over the one it contains.
    EXPECT_EQ(choice({100, 200}, "Simulator Screenshot - iPhone 18 Pro Max - 1.png", assets),
              "max-black");
    // The preferred finish among the named model's frames.
    EXPECT_EQ(choice({100, 200}, "iphone 18 pro max.png", assets, "pro-silver"), "max-silver");
    // A preferred frame that is a candidate is used as it is.
    EXPECT_EQ(choice({100, 200}, "shot.png", assets, "max-silver"), "max-silver");
}

TEST(FrameSelection, ThePreferredFrameSettlesModelAndFinish) {
    const std::vector<FrameAsset> assets = {
        frameRecord("a-black", "iPad Air", "Space Gray", 100, 200),
        frameRecord("a-silver", "iPad Air", "Silver", 100, 200),
        frameRecord("b-silver", "iPad", "Silver", 100, 200),
        frameRecord("b-other", "iPad", "Blue", 300, 400),
        frameRecord("c-gold", "iPad mini", "Gold", 100, 200),
    };
    // Same model as the preferred frame, another size: that model's frame in
    // the preferred finish, else its first frame.
    const std::vector<FrameAsset> withPreferred = {
        assets[0], assets[1], assets[2], frameRecord("a-pref", "iPad Air", "Silver", 9, 9)};
    EXPECT_EQ(choice({100, 200}, "shot.png", withPreferred, "a-pref"), "a-silver");
    const std::vector<FrameAsset> noFinish = {assets[0], assets[2],
                                              frameRecord("a-pref", "iPad Air", "Gold", 9, 9)};
    EXPECT_EQ(choice({100, 200}, "shot.png", noFinish, "a-pref"), "a-black");
    // A preferred frame whose model has another size settles its own model...
    EXPECT_EQ(choice({100, 200}, "shot.png", assets, "b-other"), "b-silver");
    // ...but a model without a frame of this size does not settle the choice.
    std::vector<FrameAsset> stranger = assets;
    stranger.push_back(frameRecord("d", "iPad Pro", "Silver", 9, 9));
    EXPECT_EQ(choice({100, 200}, "shot.png", stranger, "d"), kMultiple);
    // The file name narrows to one model; the preferred finish then decides.
    EXPECT_EQ(choice({100, 200}, "iPad Air shot.png", assets, "b-silver"), "a-silver");
    EXPECT_EQ(choice({100, 200}, "iPad Air shot.png", assets, "c-gold"), "a-black");
}

TEST(FrameSelection, ReplacementFrameKeepsModelAndOrientation) {
    const std::vector<FrameAsset> assets = {
        frameRecord("pad", "iPad", "Silver", 100, 200),
        frameRecord("pro-land", "iPhone 18 Pro", "Black", 200, 100),
        frameRecord("pro-silver", "iPhone 18 Pro", "Silver", 100, 200),
        frameRecord("pro-black", "iPhone 18 Pro", "Black", 100, 200),
        frameRecord("air-black", "iPhone Air", "Black", 100, 200),
        frameRecord("air-silver", "iPhone Air", "Silver", 100, 200),
    };
    auto replaced = [&](const std::optional<FrameAsset>& old,
                        const std::vector<FrameAsset>& in) -> std::string {
        const auto found = replacementFrame(old, in);
        return found ? found->id : "none";
    };
    EXPECT_EQ(replaced(frameRecord("x", "iPhone Air", "Graphite", 1, 2), assets), "air-black");
    EXPECT_EQ(replaced(frameRecord("x", "iPhone Air", "Pearl", 1, 2), assets), "air-silver");
    EXPECT_EQ(replaced(frameRecord("x", "iPhone Air", "Midnight", 1, 2), assets), "air-black");
    EXPECT_EQ(replaced(frameRecord("x", "iPhone Air", "Silver", 1, 2), assets), "air-silver");
    EXPECT_EQ(replaced(frameRecord("x", "iPhone Air", "Gold", 1, 2), assets), "air-black");
    // A landscape frame of that model keeps landscape.
    EXPECT_EQ(replaced(frameRecord("x", "iPhone 18 Pro", "Silver", 2, 1), assets), "pro-land");
    // A model no longer there: the portrait black iPhone 18 Pro, then the first frame.
    EXPECT_EQ(replaced(frameRecord("x", "iPhone 12", "Black", 1, 2), assets), "pro-black");
    EXPECT_EQ(replaced(std::nullopt, assets), "pro-black");
    EXPECT_EQ(replaced(std::nullopt, {assets[0], assets[4]}), "pad");
    EXPECT_EQ(replaced(std::nullopt, {}), "none");
}

TEST(ShippedFrames, FoundBesideTheInstalledOrBuiltExecutable) {
    TempDir dir;
    const auto installed = dir / "usr/share/cadrelle/Frames";
    const auto built = dir / "build/share/cadrelle/Frames";
    EXPECT_EQ(shippedFramesDirectory(dir / "usr/bin/cadrelle"), installed);
    std::filesystem::create_directories(built);
    EXPECT_EQ(shippedFramesDirectory(dir / "build/cadrelle"), built);
    std::filesystem::create_directories(installed);
    EXPECT_EQ(shippedFramesDirectory(dir / "usr/bin/cadrelle"), installed);
    // The running test program has no frames beside it: the installed place.
    EXPECT_EQ(shippedFramesDirectory().filename(), "Frames");
}
