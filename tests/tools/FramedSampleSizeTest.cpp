#include "ArtworkApplication.h"
#include "ArtworkOutput.h"
#include "ScreenshotArtwork.h"
#include "ShippedDevices.h"

#include "core/FileIO.h"
#include "core/ReadLimits.h"
#include "frames/Compositor.h"
#include "frames/InspectFrame.h"
#include "frames/SpngContext.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>

using namespace cadrelle;
using namespace cadrelle::artwork;

namespace {

// What a common PNG writer makes of the same pixels with its defaults, as
// libpng and libspng do: adaptive filtering by the smallest sum of absolute
// values, zlib level 6 and the filtered strategy.
std::size_t commonWriterSize(const Raster& raster) {
    std::vector<std::uint8_t> straight(raster.pixels.size());
    for (std::size_t i = 0; i < raster.pixels.size(); i += 4) {
        const unsigned alpha = raster.pixels[i + 3];
        for (std::size_t c = 0; c < 3; ++c) {
            const unsigned value =
                alpha == 0 ? 0 : (raster.pixels[i + c] * 255u + alpha / 2) / alpha;
            straight[i + c] = static_cast<std::uint8_t>(std::min(255u, value));
        }
        straight[i + 3] = static_cast<std::uint8_t>(alpha);
    }
    const SpngContext context = makeSpngContext(SPNG_CTX_ENCODER, "no PNG encoder");
    spng_ctx* ctx = context.get();
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, 6);
    spng_set_option(ctx, SPNG_IMG_COMPRESSION_STRATEGY, Z_FILTERED);
    spng_set_option(ctx, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_ALL);
    spng_ihdr header{};
    header.width = static_cast<std::uint32_t>(raster.width);
    header.height = static_cast<std::uint32_t>(raster.height);
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    spng_set_ihdr(ctx, &header);
    EXPECT_EQ(spng_encode_image(ctx, straight.data(), straight.size(), SPNG_FMT_PNG,
                                SPNG_ENCODE_FINALIZE),
              0);
    std::size_t length = 0;
    int error = 0;
    std::free(spng_get_png_buffer(ctx, &length, &error));
    EXPECT_EQ(error, 0);
    return length;
}

} // namespace

// A framed screenshot, whether flat interface, photos or a grainy gradient
// wallpaper, is no larger than what a common writer makes of it.
TEST(SampleArtwork, FramedScreenshotsAreNoLargerThanACommonWritersPngs) {
    const test::ArtworkApplication application;
    test::TempDir dir;
    const FramePicture picture = sampleFramePicture();
    const auto framePath = dir / picture.fileName;
    writePng(drawDevice(picture.design, picture.landscape), framePath);
    const LoadedFrame frame(inspectFrame(framePath), framePath);
    const QSize opening(picture.design.screenWidth, picture.design.screenHeight);

    for (const auto* kindName : {"flat", "photo", "noise"}) {
        SCOPED_TRACE(kindName);
        const auto output = dir / (std::string(kindName) + ".png");
        render(toRaster(drawScreenshot(opening, 2868, *screenshotKindNamed(kindName))), output,
               frame);
        const auto ours = readFile(output, kMaxPngFileBytes);
        EXPECT_LE(ours.size(), commonWriterSize(Raster::decode(ours)));
    }
}
