#include "support/TestFrames.h"

#include "core/AppError.h"
#include "core/FileError.h"
#include "frames/LcmsHandles.h"
#include "frames/Raster.h"
#include "support/PngWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <spng.h>
#include <zlib.h>

#include <fstream>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

const std::string kDamaged = "The PNG is incomplete, damaged, or larger than 24 megapixels.";
const std::string kTooLarge = "This image is too large. Choose a PNG smaller than 100 MB.";

std::string decodeMessage(const std::vector<std::uint8_t>& png) {
    return messageOf([&] { Raster::decode(png); });
}

std::uint8_t premultiplied(unsigned value, unsigned alpha) {
    return static_cast<std::uint8_t>((value * alpha + 127) / 255);
}

// What the decoder must produce for a straight-alpha picture: premultiplied.
std::vector<std::uint8_t> premultipliedPixels(const RgbaImage& image) {
    std::vector<std::uint8_t> out(image.pixels);
    for (std::size_t i = 0; i < out.size(); i += 4) {
        for (int c = 0; c < 3; ++c) {
            out[i + c] = premultiplied(out[i + c], out[i + 3]);
        }
    }
    return out;
}

// A 9 × 7 picture (odd sizes exercise every interlace pass) built from the
// given colours in a repeating pattern.
RgbaImage patterned(const std::vector<std::uint32_t>& colours) {
    RgbaImage image(9, 7);
    for (std::uint32_t y = 0; y < 7; ++y) {
        for (std::uint32_t x = 0; x < 9; ++x) {
            image.set(x, y, colours[(x + 2 * y) % colours.size()]);
        }
    }
    return image;
}

std::vector<std::uint8_t> profileBytes(const LcmsProfile& profile) {
    cmsUInt32Number length = 0;
    cmsSaveProfileToMem(profile.get(), nullptr, &length);
    std::vector<std::uint8_t> bytes(length);
    cmsSaveProfileToMem(profile.get(), bytes.data(), &length);
    return bytes;
}

// sRGB primaries with a linear tone curve: mid-grey 128 means far lighter
// sRGB values.
std::vector<std::uint8_t> linearRgbProfile() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    const LcmsToneCurve linear(cmsBuildGamma(nullptr, 1.0));
    cmsToneCurve* curves[3] = {linear.get(), linear.get(), linear.get()};
    return profileBytes(LcmsProfile(cmsCreateRGBProfile(&white, &primaries, curves)));
}

std::vector<std::uint8_t> linearGreyProfile() {
    const LcmsToneCurve linear(cmsBuildGamma(nullptr, 1.0));
    return profileBytes(LcmsProfile(cmsCreateGrayProfile(cmsD50_xyY(), linear.get())));
}

// Writes a valid PNG padded by one large unknown ancillary chunk so that the
// file has exactly `total` bytes, without holding the padding in memory.
void writePaddedPng(const std::filesystem::path& path, std::size_t total) {
    const auto png = encodeTestPng(RgbaImage(2, 2, 0x11223344));
    const std::size_t padding = total - png.size() - 12;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), 33);
    const std::uint8_t head[8] = {static_cast<std::uint8_t>(padding >> 24),
                                  static_cast<std::uint8_t>(padding >> 16),
                                  static_cast<std::uint8_t>(padding >> 8),
                                  static_cast<std::uint8_t>(padding),
                                  'p',
                                  'a',
                                  'D',
                                  'x'};
    out.write(reinterpret_cast<const char*>(head), 8);
    uLong crc = crc32(0, head + 4, 4);
    const std::vector<std::uint8_t> zeros(1 << 20, 0);
    for (std::size_t left = padding; left > 0;) {
        const std::size_t part = std::min(left, zeros.size());
        out.write(reinterpret_cast<const char*>(zeros.data()), static_cast<std::streamsize>(part));
        crc = crc32(crc, zeros.data(), static_cast<uInt>(part));
        left -= part;
    }
    const std::uint8_t tail[4] = {
        static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
        static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
    out.write(reinterpret_cast<const char*>(tail), 4);
    out.write(reinterpret_cast<const char*>(png.data() + 33),
              static_cast<std::streamsize>(png.size() - 33));
}

} // namespace

TEST(Raster, DecodesEveryLayoutToPremultipliedRgba) {
    const std::vector<std::uint32_t> translucent = {0xC8643280, 0xFFFFFFFF, 0x00000000, 0x10E0A0C0,
                                                    0x7F7F7F01};
    const std::vector<std::uint32_t> opaque = {0xC86432FF, 0xFFFFFFFF, 0x000000FF, 0x10E0A0FF};
    const std::vector<std::uint32_t> greys = {0x000000FF, 0x555555FF, 0xAAAAAAFF, 0xFFFFFFFF};
    const std::vector<std::uint32_t> greysAlpha = {0x00000000, 0x55555580, 0xAAAAAAFF, 0xFFFFFF40};
    struct Case {
        PngColor color;
        int depth;
        std::vector<std::uint32_t> colours;
    };
    const std::vector<Case> cases = {
        {PngColor::rgba, 8, translucent},
        {PngColor::rgba, 16, translucent},
        {PngColor::rgb, 8, opaque},
        {PngColor::rgb, 16, opaque},
        {PngColor::greyAlpha, 8, greysAlpha},
        {PngColor::greyAlpha, 16, greysAlpha},
        {PngColor::grey, 2, greys},
        {PngColor::grey, 8, greys},
        {PngColor::grey, 16, greys},
        {PngColor::palette, 1, {0xC8643280, 0x10E0A0FF}},
        {PngColor::palette, 2, {0xC8643280, 0xFFFFFFFF, 0x00000000, 0x10E0A0C0}},
        {PngColor::palette, 4, translucent},
        {PngColor::palette, 8, translucent},
    };
    for (const auto& c : cases) {
        for (const bool interlaced : {false, true}) {
            const RgbaImage image = patterned(c.colours);
            const auto png = encodeTestPng(image, {c.color, c.depth, interlaced, {}});
            const Raster raster = Raster::decode(png);
            SCOPED_TRACE("colour type " + std::to_string(static_cast<int>(c.color)) + ", depth " +
                         std::to_string(c.depth) + (interlaced ? ", interlaced" : ""));
            EXPECT_EQ(raster.width, 9);
            EXPECT_EQ(raster.height, 7);
            EXPECT_EQ(raster.pixels, premultipliedPixels(image));
        }
    }
    // Premultiplied by hand: 200, 100, 50 at half alpha.
    const Raster half = Raster::decode(encodeTestPng(RgbaImage(1, 1, 0xC8643280)));
    EXPECT_EQ(pixelAt(half, 0, 0), 0x64321980u);

    // Grey at one bit per sample: the two levels black and white.
    const Raster bits =
        Raster::decode(encodeTestPng(patterned(greys), {PngColor::grey, 1, false, {}}));
    EXPECT_EQ(pixelAt(bits, 0, 0), 0x000000FFu);
    EXPECT_EQ(pixelAt(bits, 3, 0), 0xFFFFFFFFu);
}

TEST(Raster, EveryRowFilterOfEightBitColourDecodesExactly) {
    // Busy enough that each filter sees different left, up and up-left bytes,
    // and more pixels than RGB is spread to RGBA at a time.
    RgbaImage image(97, 61);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t v = (x * 73 + y * 151) ^ (x * y * 29);
            image.set(x, y, ((v * 0x01010101u) ^ 0x5A3C9600u) | 0xFFu);
        }
    }
    RgbaImage translucent = image;
    for (std::size_t i = 3; i < translucent.pixels.size(); i += 4) {
        translucent.pixels[i] = static_cast<std::uint8_t>(i * 7);
    }
    for (const int filter :
         {SPNG_FILTER_CHOICE_NONE, SPNG_FILTER_CHOICE_SUB, SPNG_FILTER_CHOICE_UP,
          SPNG_FILTER_CHOICE_AVG, SPNG_FILTER_CHOICE_PAETH, SPNG_FILTER_CHOICE_ALL}) {
        SCOPED_TRACE("filter choice " + std::to_string(filter));
        const Raster rgb =
            Raster::decode(encodeTestPng(image, {PngColor::rgb, 8, false, {}, filter}));
        EXPECT_EQ(rgb.pixels, image.pixels);
        const Raster rgba =
            Raster::decode(encodeTestPng(translucent, {PngColor::rgba, 8, false, {}, filter}));
        EXPECT_EQ(rgba.pixels, premultipliedPixels(translucent));
    }
}

TEST(Raster, TransparentColourKeysBecomeTransparent) {
    RgbaImage image(3, 1, 0x336699FF);
    image.set(1, 0, 0x00FF0000); // the key colour, transparent
    for (const PngColor color : {PngColor::rgb, PngColor::grey}) {
        const Raster raster = Raster::decode(encodeTestPng(image, {color, 8, false, {}}));
        EXPECT_EQ(pixelAt(raster, 1, 0), 0x00000000u);
        EXPECT_EQ(pixelAt(raster, 0, 0) & 0xFF, 0xFFu);
    }
}

TEST(Raster, ConvertsEmbeddedProfilesToSrgb) {
    RgbaImage image(3, 1, 0x808080FF);
    image.set(1, 0, 0x000000FF);
    image.set(2, 0, 0x80808080);
    const auto plain = Raster::decode(encodeTestPng(image));
    EXPECT_EQ(pixelAt(plain, 0, 0), 0x808080FFu) << "no profile means sRGB already";

    for (const auto& [color, profile] : {std::pair{PngColor::rgba, linearRgbProfile()},
                                         std::pair{PngColor::greyAlpha, linearGreyProfile()}}) {
        const auto raster = Raster::decode(encodeTestPng(image, {color, 8, false, profile}));
        // Linear 0.5 is about 188 in sRGB.
        const std::uint32_t mid = pixelAt(raster, 0, 0);
        for (const int shift : {24, 16, 8}) {
            EXPECT_NEAR(static_cast<int>((mid >> shift) & 0xFF), 188, 2);
        }
        EXPECT_EQ(mid & 0xFF, 0xFFu);
        EXPECT_EQ(pixelAt(raster, 1, 0), 0x000000FFu);
        // Converted, then premultiplied; alpha itself is untouched.
        EXPECT_NEAR(static_cast<int>(pixelAt(raster, 2, 0) >> 24), 94, 2);
        EXPECT_EQ(pixelAt(raster, 2, 0) & 0xFF, 0x80u);
    }

    // A profile that cannot be read is ignored.
    const std::vector<std::uint8_t> garbage(200, 0x5A);
    const auto raster = Raster::decode(encodeTestPng(image, {PngColor::rgba, 8, false, garbage}));
    EXPECT_EQ(pixelAt(raster, 0, 0), 0x808080FFu);
}

TEST(Raster, EnforcesFileSizeLimitExactly) {
    TempDir dir;
    writePaddedPng(dir / "exact.png", 100'000'000);
    ASSERT_EQ(std::filesystem::file_size(dir / "exact.png"), 100'000'000u);
    const Raster raster = Raster::load(dir / "exact.png");
    EXPECT_EQ(pixelAt(raster, 1, 1), premultiplied(0x11, 0x44) * 0x1000000u +
                                         premultiplied(0x22, 0x44) * 0x10000u +
                                         premultiplied(0x33, 0x44) * 0x100u + 0x44);
    std::filesystem::remove(dir / "exact.png");

    // One byte more fails on the size alone, before anything is read.
    { std::ofstream(dir / "over.png").put('x'); }
    std::filesystem::resize_file(dir / "over.png", 100'000'001);
    EXPECT_EQ(messageOf([&] { Raster::load(dir / "over.png"); }), kTooLarge);

    // A missing file is the file system's error, with the path.
    EXPECT_EQ(messageOf([&] { Raster::load(dir / "missing.png"); }),
              (dir / "missing.png").string() + ": No such file or directory");
}

TEST(Raster, EnforcesPixelLimitsBeforeAllocating) {
    const auto tiny = deflatedZeroRows(5, 1);
    // Claimed sizes are refused from the header alone; the data would not fit.
    EXPECT_EQ(decodeMessage(rawRgbaPng(60000, 60000, tiny)), kDamaged);
    EXPECT_EQ(decodeMessage(rawRgbaPng(10001, 1, tiny)), kDamaged);
    EXPECT_EQ(decodeMessage(rawRgbaPng(5000, 4801, tiny)), kDamaged);
    EXPECT_EQ(decodeMessage(rawRgbaPng(0, 1, tiny)), kDamaged);

    // The largest allowed image decodes.
    const Raster largest = Raster::decode(rawRgbaPng(10000, 2400, deflatedZeroRows(40001, 2400)));
    EXPECT_EQ(largest.width, 10000);
    EXPECT_EQ(largest.height, 2400);
    EXPECT_EQ(largest.pixels.size(), 96'000'000u);
}

TEST(Raster, RejectsDamagedAndHostileFiles) {
    const auto good = encodeTestPng(patterned({0x112233FF, 0x445566FF}));
    ASSERT_NO_THROW(Raster::decode(good));
    const auto changed = [&good](std::size_t at, std::uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };
    // Cut inside the image data, with a complete IEND put back at the end: the
    // framing check passes but the chunks no longer line up.
    std::vector<std::uint8_t> spliced(good.begin(), good.begin() + 45);
    spliced.resize(45 + 12);
    std::copy(good.end() - 12, good.end(), spliced.begin() + 45);
    // A chunk that claims to be longer than the whole file.
    auto hostile = withChunkAfterHeader(good, pngChunk("teXt", std::vector<std::uint8_t>(4, 'a')));
    hostile[33] = 0x7F;
    auto trailing = good;
    trailing.push_back(0);
    // Chunks after the image data: a decoder accepts only ancillary ones,
    // whole, before IEND.
    const auto beforeEnd = [&good](std::vector<std::uint8_t> chunk) {
        std::vector<std::uint8_t> bytes(good.begin(), good.end() - 12);
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        bytes.insert(bytes.end(), good.end() - 12, good.end());
        return bytes;
    };
    const std::vector<std::uint8_t> note = {1, 2, 3};
    auto damagedNote = pngChunk("prVt", note);
    damagedNote.back() ^= 0x01;
    auto interrupted = beforeEnd(pngChunk("prVt", note));
    const auto emptyData = pngChunk("IDAT", {});
    interrupted.insert(interrupted.end() - 12, emptyData.begin(), emptyData.end());
    EXPECT_NO_THROW(Raster::decode(beforeEnd(pngChunk("prVt", note))));
    // Image data of the right length whose second row names filter type 5.
    std::vector<std::uint8_t> rows(2 * 9, 0);
    rows[9] = 5;
    // Image data whose zlib checksum does not match what it inflates to.
    auto wrongChecksum = deflatedZeroRows(17, 4);
    wrongChecksum.back() ^= 0x01;
    int index = 0;
    for (const auto& png : std::vector<std::vector<std::uint8_t>>{
             trailing,
             std::vector<std::uint8_t>(good.begin(), good.end() - 5),
             spliced,
             changed(1, 'Q'),                                          // signature
             changed(30, good[30] ^ 0xFF),                             // header CRC
             changed(good.size() - 14, good[good.size() - 14] ^ 0xFF), // image data CRC
             // Too little image data, and a stream that inflates far beyond the
             // image (hundreds of megabytes of zeros for a single pixel).
             rawRgbaPng(4, 4, deflatedZeroRows(17, 2)),
             rawRgbaPng(1, 1, deflatedZeroRows(1 << 20, 300)),
             rawRgbaPng(4, 4, wrongChecksum),
             rawRgbaPng(2, 2, deflateBytes(rows)),
             hostile,
             beforeEnd(pngChunk("PRVT", note)), // unknown critical chunk
             beforeEnd(damagedNote),
             interrupted,
             {}}) {
        EXPECT_EQ(decodeMessage(png), kDamaged) << "case " << index++;
    }
}

TEST(Raster, AnyAmountOfTextAndMetadataWithinTheSizeLimitIsAccepted) {
    const RgbaImage image = patterned({0x112233FF, 0x44556680});
    std::vector<std::uint8_t> chunks;
    const auto add = [&chunks](const std::string& type, const std::string& keyword,
                               std::span<const std::uint8_t> data) {
        std::vector<std::uint8_t> body(keyword.begin(), keyword.end());
        body.push_back(0);
        body.insert(body.end(), data.begin(), data.end());
        const auto chunk = pngChunk(type, body);
        chunks.insert(chunks.end(), chunk.begin(), chunk.end());
    };
    // More text chunks than a decoder keeps by default...
    for (int i = 0; i < 1500; ++i) {
        const std::string text = "note " + std::to_string(i);
        add("tEXt", "Comment",
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    // ...more text than its caches hold, and a compressed text that inflates
    // to more than any one chunk it allows.
    const std::vector<std::uint8_t> page(15'000'000, 'x');
    for (int i = 0; i < 5; ++i) {
        add("tEXt", "Description", page);
    }
    std::vector<std::uint8_t> compressed = {0}; // compression method
    const auto zeros = deflateBytes(std::vector<std::uint8_t>(20'000'000, 0), 9);
    compressed.insert(compressed.end(), zeros.begin(), zeros.end());
    add("zTXt", "Comment", compressed);

    const auto png = withChunkAfterHeader(encodeTestPng(image), chunks);
    ASSERT_LT(png.size(), 100'000'000u);
    EXPECT_EQ(Raster::decode(png).pixels, premultipliedPixels(image));
}
