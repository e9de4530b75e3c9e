#include "ArtworkOutput.h"
#include "ShippedDevices.h"

#include "core/FileIO.h"
#include "core/Sha256.h"
#include "frames/FrameLibrary.h"
#include "frames/InspectFrame.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(ShippedFrames, EveryCatalogRecordMatchesItsFile) {
    const FrameLibrary shipped{kResources / "Frames"};
    const std::vector<FrameAsset> catalog = shipped.load();
    ASSERT_EQ(catalog.size(), 64u);

    std::set<std::tuple<std::string, std::string, bool>> covered;
    std::uintmax_t totalBytes = 0;
    for (const FrameAsset& record : catalog) {
        SCOPED_TRACE(record.name);
        const auto path = shipped.directory / record.file;
        const Bytes bytes = readFile(path);
        totalBytes += bytes.size();
        EXPECT_EQ(sha256(bytes), record.id);
        EXPECT_EQ(record.digest, record.id);
        EXPECT_EQ(record.file, record.id + ".png");
        EXPECT_FALSE(record.isBundled.has_value());

        const FrameAsset inspected = inspectFrame(path);
        EXPECT_EQ(inspected.id, record.id);
        EXPECT_EQ(inspected.screen, record.screen);
        EXPECT_EQ(inspected.pixelWidth, record.pixelWidth);
        EXPECT_EQ(inspected.pixelHeight, record.pixelHeight);

        ASSERT_EQ(kScreens.count(record.model), 1u);
        const auto [width, height] = kScreens.at(record.model);
        const bool landscape = record.isLandscape();
        EXPECT_EQ(record.screen.width, landscape ? height : width);
        EXPECT_EQ(record.screen.height, landscape ? width : height);
        const bool tablet = record.model.starts_with("iPad");
        EXPECT_TRUE(record.color == "Silver" || record.color == (tablet ? "Space Gray" : "Black"));
        EXPECT_EQ(record.name, record.model + " \u2014 " + record.color);
        covered.insert({record.model, record.color, landscape});
    }
    EXPECT_EQ(covered.size(), 64u);
    EXPECT_LE(totalBytes, 15'000'000u);
}

// The committed PNGs are exactly what the generator draws and encodes, so the
// frame ids stay the same wherever the generator runs.
TEST(ShippedFrames, GeneratorReproducesTheCommittedBytes) {
    std::map<std::string, FrameAsset> byId;
    for (const FrameAsset& record : FrameLibrary{kResources / "Frames"}.load()) {
        byId[record.id] = record;
    }
    const auto pictures = shippedFramePictures();
    ASSERT_EQ(pictures.size(), byId.size());
    for (const FramePicture& picture : pictures) {
        SCOPED_TRACE(picture.fileName);
        const std::string id = sha256(pngBytes(drawDevice(picture.design, picture.landscape)));
        const auto found = byId.find(id);
        ASSERT_NE(found, byId.end());
        // "<Model> - <Finish> - <Orientation>.png" became "<Model> — <Finish>".
        const std::string stem = picture.fileName.substr(0, picture.fileName.rfind(" - "));
        EXPECT_EQ(found->second.name, stem.substr(0, stem.find(" - ")) + " \u2014 " +
                                          stem.substr(stem.find(" - ") + 3));
        EXPECT_EQ(found->second.isLandscape(), picture.landscape);
    }
}

TEST(SampleArtwork, TheSampleFrameFitsTheSampleScreenshot) {
    const auto samples = kResources / "samples";
    const FramePicture picture = sampleFramePicture();
    const auto framePath = samples / picture.fileName;
    EXPECT_EQ(readFile(framePath), pngBytes(drawDevice(picture.design, false)));
    const FrameAsset frame = inspectFrame(framePath);
    EXPECT_EQ(frame.model, "Sample Phone");
    EXPECT_EQ(frame.color, "Graphite");
    const Raster screenshot = Raster::load(samples / "sample-screenshot.png");
    EXPECT_EQ(screenshot.width, frame.screen.width);
    EXPECT_EQ(screenshot.height, frame.screen.height);

    // The benchmark frame: 1440 × 3000 around a 1320 × 2868 opening.
    const FramePicture bench = benchmarkFramePicture();
    const QImage image = drawDevice(bench.design, false);
    EXPECT_EQ(image.size(), QSize(1440, 3000));
    const QRect opening = screenRect(bench.design);
    EXPECT_EQ(opening.size(), QSize(1320, 2868));
}
