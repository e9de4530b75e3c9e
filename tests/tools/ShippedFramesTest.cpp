#include "ArtworkOutput.h"
#include "ShippedDevices.h"

#include "core/FileIO.h"
#include "core/Sha256.h"
#include "frames/FrameLibrary.h"
#include "frames/InspectFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>

using namespace cadrelle;
using namespace cadrelle::artwork;

namespace {

const std::filesystem::path kResources = CADRELLE_RESOURCES_DIR;

// The devices the shipped frames must cover, with their portrait screen sizes.
const std::map<std::string, std::pair<std::int64_t, std::int64_t>> kScreens = {
    {"iPhone 17 Pro Max", {1320, 2868}},
    {"iPhone 17 Pro", {1206, 2622}},
    {"iPhone 17", {1206, 2622}},
    {"iPhone Air", {1260, 2736}},
    {"iPhone 16e", {1170, 2532}},
    {"iPhone 16 Pro Max", {1320, 2868}},
    {"iPhone 16 Pro", {1206, 2622}},
    {"iPhone 16 Plus", {1290, 2796}},
    {"iPhone 16", {1179, 2556}},
    {"iPhone SE (3rd generation)", {750, 1334}},
    {"iPad Pro 13-inch (M5)", {2064, 2752}},
    {"iPad Pro 11-inch (M5)", {1668, 2420}},
    {"iPad Air 13-inch (M3)", {2048, 2732}},
    {"iPad Air 11-inch (M3)", {1640, 2360}},
    {"iPad (A16)", {1640, 2360}},
    {"iPad mini (A17 Pro)", {1488, 2266}},
};

// Whether a committed frame PNG, decoded by the program's own decoder, shows
// the picture the generator draws now. Both are compared as premultiplied
// 8-bit RGBA, the form the program frames with: in straight colour a nearly
// transparent edge pixel can jump by many steps for a change nobody sees.
//
// Qt picks processor-specific code for anti-aliased drawing and for turning
// premultiplied colour into the PNG's straight colour, so a frame drawn on
// another machine may be a step or two off in a few pixels. A moved bezel,
// opening or button changes edge pixels by far more than that, and so does a
// colour changed by more than two steps; a body colour changed by a single
// step still shifts over 1% of a frame's pixels.
constexpr int kChannelTolerance = 2;
constexpr double kDifferingPixelShare = 0.01;

testing::AssertionResult drawsLike(const Raster& committed, const Raster& drawn) {
    if (committed.width != drawn.width || committed.height != drawn.height) {
        return testing::AssertionFailure()
               << "committed " << committed.width << " x " << committed.height << ", drawn "
               << drawn.width << " x " << drawn.height;
    }
    int largest = 0;
    std::int64_t largestAt = 0;
    std::int64_t differing = 0;
    const std::int64_t pixels = committed.width * committed.height;
    for (std::int64_t i = 0; i < pixels; ++i) {
        int pixelLargest = 0;
        for (std::size_t c = 0; c < 4; ++c) {
            const auto at = static_cast<std::size_t>(i) * 4 + c;
            pixelLargest =
                std::max(pixelLargest, std::abs(committed.pixels[at] - drawn.pixels[at]));
        }
        differing += pixelLargest > 0 ? 1 : 0;
        if (pixelLargest > largest) {
            largest = pixelLargest;
            largestAt = i;
        }
    }
    const auto allowedDiffering =
        static_cast<std::int64_t>(static_cast<double>(pixels) * kDifferingPixelShare);
    if (largest > kChannelTolerance || differing > allowedDiffering) {
        return testing::AssertionFailure()
               << differing << " of " << pixels << " pixels differ (at most " << allowedDiffering
               << " may), by up to " << largest << " (at most " << kChannelTolerance
               << " may) at x " << largestAt % committed.width << ", y "
               << largestAt / committed.width;
    }
    return testing::AssertionSuccess();
}

} // namespace

// Each shipped frame is what the generator draws for its catalog record: the
// record with the picture's name and orientation, whose file hashes to the
// record's id, inspects to the record, and decodes to the drawn picture within
// the rasteriser's tolerance. Together they cover every device, finish and
// orientation once.
TEST(ShippedFrames, EveryCatalogRecordIsTheGeneratorsDrawingOfItsDevice) {
    const FrameLibrary shipped{kResources / "Frames"};
    const std::vector<FrameAsset> catalog = shipped.load();
    ASSERT_EQ(catalog.size(), 64u);
    const auto pictures = shippedFramePictures();
    ASSERT_EQ(pictures.size(), catalog.size());
    std::set<std::string> matched;
    std::set<std::tuple<std::string, std::string, bool>> covered;
    std::uintmax_t totalBytes = 0;
    for (const FramePicture& picture : pictures) {
        SCOPED_TRACE(picture.fileName);
        // "<Model> - <Finish> - <Orientation>.png" is listed as "<Model> — <Finish>".
        const std::string stem = picture.fileName.substr(0, picture.fileName.rfind(" - "));
        const std::string orientation = picture.fileName.substr(stem.size() + 3);
        EXPECT_EQ(orientation, picture.landscape ? "Landscape.png" : "Portrait.png");
        const std::string name =
            stem.substr(0, stem.find(" - ")) + " \u2014 " + stem.substr(stem.find(" - ") + 3);
        const auto record = std::find_if(catalog.begin(), catalog.end(), [&](const FrameAsset& r) {
            return r.name == name && r.isLandscape() == picture.landscape;
        });
        ASSERT_NE(record, catalog.end());
        EXPECT_TRUE(matched.insert(record->id).second);

        const auto path = shipped.directory / record->file;
        const Bytes committed = readFile(path, kMaxPngFileBytes);
        totalBytes += committed.size();
        EXPECT_EQ(sha256(committed), record->id);
        EXPECT_EQ(record->digest, record->id);
        EXPECT_EQ(record->file, record->id + ".png");
        EXPECT_FALSE(record->isBundled.has_value());
        const FrameAsset inspected = inspectFrame(path);
        EXPECT_EQ(inspected.screen, record->screen);
        EXPECT_EQ(inspected.pixelWidth, record->pixelWidth);
        EXPECT_EQ(inspected.pixelHeight, record->pixelHeight);

        ASSERT_EQ(kScreens.count(record->model), 1u);
        const auto [width, height] = kScreens.at(record->model);
        const bool landscape = record->isLandscape();
        EXPECT_EQ(record->screen.width, landscape ? height : width);
        EXPECT_EQ(record->screen.height, landscape ? width : height);
        const bool tablet = record->model.starts_with("iPad");
        EXPECT_TRUE(record->color == "Silver" ||
                    record->color == (tablet ? "Space Gray" : "Black"));
        EXPECT_EQ(record->name, record->model + " \u2014 " + record->color);
        covered.insert({record->model, record->color, landscape});

        EXPECT_TRUE(drawsLike(Raster::decode(committed),
                              toRaster(drawDevice(picture.design, picture.landscape))));
    }
    EXPECT_EQ(covered.size(), 64u);
    EXPECT_LE(totalBytes, 15'000'000u);
}

TEST(SampleArtwork, TheSampleFrameFitsTheSampleScreenshot) {
    const auto samples = kResources / "samples";
    const FramePicture picture = sampleFramePicture();
    const auto framePath = samples / picture.fileName;
    EXPECT_TRUE(drawsLike(Raster::load(framePath), toRaster(drawDevice(picture.design, false))));
    const FrameAsset frame = inspectFrame(framePath);
    EXPECT_EQ(frame.model, "Sample Phone");
    EXPECT_EQ(frame.color, "Graphite");
    const Raster screenshot = Raster::load(samples / "sample-screenshot.png");
    EXPECT_EQ(screenshot.width, frame.screen.width);
    EXPECT_EQ(screenshot.height, frame.screen.height);
}
