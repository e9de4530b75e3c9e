#include "frames/PngEncoder.h"
#include "core/AppError.h"
#include "support/CoreApplication.h"
#include "support/TestFrames.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <tuple>

using namespace cadrelle;

namespace {

// A premultiplied picture like a framed screenshot: busy screen content, a
// flat bezel, a transparent corner and a translucent panel; with `grain`, the
// lower part carries film-like noise, which is compressed harder.
Raster drawFramedPicture(std::uint32_t width, std::uint32_t height, bool grain = false) {
    test::RgbaImage image = test::drawScreenshot(width, height);
    std::uint32_t random = 12345;
    for (std::uint32_t y = grain ? height / 3 : height; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            random = random * 1103515245u + 12345u;
            std::uint8_t* pixel = image.at(x, y);
            for (int c = 0; c < 3; ++c) {
                pixel[c] = static_cast<std::uint8_t>((pixel[c] + x / 8 + y / 16 + (random >> 28)));
            }
        }
    }
    image.fill(0, 0, width, height / 4, test::kBezel);
    image.fill(0, 0, width / 8, height / 8, 0x00000000);
    image.fill(width / 2, height / 2, width / 4, height / 4, 0xC0804060);
    return Raster::decode(test::encodeTestPng(image));
}

std::vector<std::uint8_t> encodeWithThreads(const Raster& raster, std::size_t threads) {
    const auto rowBytes = static_cast<std::size_t>(raster.width) * 4;
    return encodePng(
        raster.width, raster.height,
        [&](std::int64_t y, std::uint8_t* row) {
            std::memcpy(row, raster.pixels.data() + static_cast<std::size_t>(y) * rowBytes,
                        rowBytes);
        },
        threads);
}

std::uint32_t bigEndian(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

struct Chunks {
    std::vector<std::string> types;
    std::vector<std::uint8_t> imageData; // all IDAT data, in order
};

// Splits a PNG into chunks, checking the signature and every CRC.
Chunks readChunks(const std::vector<std::uint8_t>& png) {
    const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunks chunks;
    EXPECT_EQ(std::memcmp(png.data(), signature, 8), 0);
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::size_t length = bigEndian(png.data() + at);
        const std::uint8_t* type = png.data() + at + 4;
        EXPECT_LE(at + 12 + length, png.size());
        EXPECT_EQ(crc32_z(0, type, length + 4), bigEndian(type + 4 + length));
        chunks.types.emplace_back(type, type + 4);
        if (chunks.types.back() == "IDAT") {
            chunks.imageData.insert(chunks.imageData.end(), type + 4, type + 4 + length);
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

} // namespace

// The image is compressed in strips of rows on worker threads, busy strips
// harder than quiet ones; the strips and their compression must not depend
// on the number of threads, and every shape must come back exactly: strips
// of hundreds of rows, strips of a few wide rows, a narrow image that is a
// single strip, and a grainy picture whose strips are compressed unequally.
TEST(PngEncoder, GivesTheSameBytesWithAnyNumberOfThreadsAndDecodesToThePixels) {
    test::ensureCoreApplication();
    for (const auto& [width, height, grain] :
         {std::tuple<std::uint32_t, std::uint32_t, bool>{400, 1800, false},
          {6000, 200, false},
          {8, 3000, false},
          {1200, 1800, true}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const Raster raster = drawFramedPicture(width, height, grain);
        const auto png = encodeWithThreads(raster, 1);
        for (const std::size_t threads : {2, 3, 8, 0}) {
            EXPECT_EQ(encodeWithThreads(raster, threads), png) << threads << " threads";
        }
        EXPECT_EQ(encodePng(raster), png) << "the same pixels give the same bytes every time";
        EXPECT_EQ(Raster::decode(png).pixels, raster.pixels);
    }
}

// Opaque images are stored as 8-bit RGB with the same strips and
// compression: the header says RGB without alpha, the bytes do not depend on
// the threads, and the image decodes to exactly the given colours, opaque.
TEST(PngEncoder, WritesOpaqueRgbImagesWithoutAlpha) {
    test::ensureCoreApplication();
    for (const auto& [width, height, grain] :
         {std::tuple<std::uint32_t, std::uint32_t, bool>{1200, 1800, true}, {7, 2000, false}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const Raster picture = drawFramedPicture(width, height, grain);
        std::vector<std::uint8_t> rgb;
        for (std::size_t i = 0; i < picture.pixels.size(); i += 4) {
            rgb.insert(rgb.end(), picture.pixels.begin() + static_cast<std::ptrdiff_t>(i),
                       picture.pixels.begin() + static_cast<std::ptrdiff_t>(i) + 3);
        }
        const auto encode = [&](std::size_t threads) {
            return encodeRgbPng(
                width, height,
                [&](std::int64_t y, std::uint8_t* row) {
                    std::memcpy(row, rgb.data() + static_cast<std::size_t>(y) * width * 3,
                                width * 3);
                },
                threads);
        };
        const auto png = encode(1);
        for (const std::size_t threads : {3, 0}) {
            EXPECT_EQ(encode(threads), png) << threads << " threads";
        }
        const Chunks chunks = readChunks(png);
        ASSERT_GE(chunks.types.size(), 4u);
        EXPECT_EQ(chunks.types[1], "sRGB");
        EXPECT_EQ(png[8 + 8 + 8], 8) << "bit depth";
        EXPECT_EQ(png[8 + 8 + 9], 2) << "colour type RGB";
        const Raster decoded = Raster::decode(png);
        ASSERT_EQ(decoded.pixels.size(), picture.pixels.size());
        for (std::size_t i = 0, j = 0; i < decoded.pixels.size(); i += 4, j += 3) {
            ASSERT_EQ(std::memcmp(decoded.pixels.data() + i, rgb.data() + j, 3), 0)
                << "pixel " << i / 4;
            ASSERT_EQ(decoded.pixels[i + 3], 255) << "pixel " << i / 4;
        }
    }
}

// One zlib stream across all IDAT chunks: a strict inflate consumes every
// byte, ends exactly at the end of the data and finds the Adler-32 right.
TEST(PngEncoder, WritesOneCompleteZlibStreamInConsecutiveImageDataChunks) {
    test::ensureCoreApplication();
    const Raster raster = drawFramedPicture(360, 1200);
    const auto png = encodeWithThreads(raster, 4);
    const Chunks chunks = readChunks(png);
    ASSERT_GE(chunks.types.size(), 4u);
    EXPECT_EQ(chunks.types.front(), "IHDR");
    EXPECT_EQ(chunks.types[1], "sRGB");
    EXPECT_EQ(chunks.types.back(), "IEND");
    const auto firstData = std::find(chunks.types.begin(), chunks.types.end(), "IDAT");
    const auto dataEnd = std::find(firstData, chunks.types.end(), "IEND");
    EXPECT_GT(dataEnd - firstData, 1) << "the strips are meant to be separate chunks";
    EXPECT_EQ(std::count(chunks.types.begin(), chunks.types.end(), "IDAT"), dataEnd - firstData)
        << "image data chunks must follow one another";

    const std::size_t expected = static_cast<std::size_t>(raster.height) * (1 + 360 * 4);
    std::vector<std::uint8_t> rows(expected + 1);
    z_stream z{};
    ASSERT_EQ(inflateInit(&z), Z_OK);
    z.next_in = const_cast<Bytef*>(chunks.imageData.data());
    z.avail_in = static_cast<uInt>(chunks.imageData.size());
    z.next_out = rows.data();
    z.avail_out = static_cast<uInt>(rows.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END) << (z.msg != nullptr ? z.msg : "");
    EXPECT_EQ(z.avail_in, 0u) << "nothing may follow the stream";
    EXPECT_EQ(z.total_out, expected);
    inflateEnd(&z);
    const std::uint8_t* trailer = chunks.imageData.data() + chunks.imageData.size() - 4;
    EXPECT_EQ(bigEndian(trailer), adler32_z(1, rows.data(), expected));
    for (std::size_t y = 0; y < static_cast<std::size_t>(raster.height); ++y) {
        ASSERT_LE(rows[y * (1 + 360 * 4)], 4) << "filter type of row " << y;
    }
}

// An error while making a row on a worker thread reaches the caller.
TEST(PngEncoder, ReportsAFailingRowFromAnyThread) {
    test::ensureCoreApplication();
    const Raster raster = drawFramedPicture(360, 1200);
    for (const std::int64_t failing : {0, 700, 1199}) {
        const auto message = test::messageOf([&] {
            encodePng(
                360, 1200,
                [&](std::int64_t y, std::uint8_t* row) {
                    if (y == failing) {
                        throw AppError("Unable to create the framed image.");
                    }
                    std::memcpy(row, raster.pixels.data() + y * 360 * 4, 360 * 4);
                },
                4);
        });
        EXPECT_EQ(message, "Unable to create the framed image.") << "row " << failing;
    }
    EXPECT_EQ(test::messageOf([] { encodePng(0, 10, [](std::int64_t, std::uint8_t*) {}); }),
              "Unable to create PNG data.");
}

namespace {

// The filter type byte of every row, read back from the image data.
std::set<std::uint8_t> filterTypes(const std::vector<std::uint8_t>& png, std::size_t rowBytes,
                                   std::size_t height) {
    const Chunks chunks = readChunks(png);
    std::vector<std::uint8_t> rows((1 + rowBytes) * height);
    uLongf length = rows.size();
    EXPECT_EQ(uncompress(rows.data(), &length, chunks.imageData.data(), chunks.imageData.size()),
              Z_OK);
    std::set<std::uint8_t> types;
    for (std::size_t y = 0; y < height; ++y) {
        types.insert(rows[y * (1 + rowBytes)]);
    }
    return types;
}

} // namespace

// Rows that suit each of the five filters (three levels scattered, ramps
// across, rows close to the one above, smooth blends, and columns crossed by bars) must each come
// back exactly through a standard decoder, in RGBA and in RGB, whichever
// predictor the encoder picked for them.
TEST(PngEncoder, DecodesBackExactlyWhicheverFilterEachRowGets) {
    test::ensureCoreApplication();
    constexpr std::uint32_t kWidth = 301;
    constexpr std::uint32_t kHeight = 250;
    std::vector<std::uint8_t> rgba(std::size_t{kWidth} * kHeight * 4);
    std::uint32_t random = 99;
    const auto noise = [&random](unsigned range) {
        random = random * 1103515245u + 12345u;
        return (random >> 16) % range;
    };
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            std::uint8_t* pixel = rgba.data() + (std::size_t{y} * kWidth + x) * 4;
            const std::uint8_t* above = y > 0 ? pixel - kWidth * 4 : nullptr;
            for (std::uint32_t c = 0; c < 3; ++c) {
                unsigned value = 0;
                switch (y / 10 % 5) {
                case 0: // three levels in random places: cheapest as they are
                    value = std::array<unsigned, 3>{0, 90, 200}[noise(3)];
                    break;
                case 1: // a steep ramp across: each pixel a step from its left
                    value = x * (3 + c) + y + noise(2);
                    break;
                case 2: // the row above with a little grain
                    value = above != nullptr ? above[c] + noise(3) : noise(256);
                    break;
                case 3: // a smooth blend of left and above
                    value = x > 0 && above != nullptr ? ((pixel - 4)[c] + above[c]) / 2 + noise(2)
                                                      : noise(256);
                    break;
                default: // random columns with a bar of one colour on each row
                    value = x >= y * 37 % (kWidth - 60) && x < y * 37 % (kWidth - 60) + 60
                                ? 128 + c
                                : (x * 3 + c) * 2654435761u >> 24;
                    break;
                }
                pixel[c] = static_cast<std::uint8_t>(value);
            }
            pixel[3] = 255;
        }
    }
    std::vector<std::uint8_t> rgb;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i),
                   rgba.begin() + static_cast<std::ptrdiff_t>(i) + 3);
    }
    const auto rgbaPng = encodePng(kWidth, kHeight, [&](std::int64_t y, std::uint8_t* row) {
        std::memcpy(row, rgba.data() + static_cast<std::size_t>(y) * kWidth * 4, kWidth * 4);
    });
    const auto rgbPng = encodeRgbPng(kWidth, kHeight, [&](std::int64_t y, std::uint8_t* row) {
        std::memcpy(row, rgb.data() + static_cast<std::size_t>(y) * kWidth * 3, kWidth * 3);
    });
    const std::set<std::uint8_t> allFilters = {0, 1, 2, 3, 4};
    EXPECT_EQ(filterTypes(rgbaPng, kWidth * 4, kHeight), allFilters);
    EXPECT_EQ(filterTypes(rgbPng, kWidth * 3, kHeight), allFilters);
    EXPECT_EQ(Raster::decode(rgbaPng).pixels, rgba);
    EXPECT_EQ(Raster::decode(rgbPng).pixels, rgba) << "RGB decodes to the same opaque pixels";
}
