#include "Raster.h"

#include "ColorProfile.h"
#include "ImageDataCheck.h"
#include "PngChunkStream.h"
#include "PngRowUnfilter.h"
#include "SpngContext.h"

#include "core/AppError.h"
#include "core/FileIO.h"

#include <spng.h>

#include <algorithm>
#include <array>
#include <new>

namespace cadrelle {

namespace {

constexpr std::uint64_t kMaxFileBytes = kMaxPngFileBytes;
constexpr std::uint32_t kMaxSide = 10'000;
constexpr std::uint64_t kMaxPixels = 24'000'000;
// The only ancillary data the decoder keeps is the ICC profile (the stream
// leaves out text, EXIF and palettes): it may inflate to as much as the
// largest file holds.
constexpr std::size_t kMaxAncillaryChunkBytes = kMaxFileBytes;
constexpr std::size_t kMaxCachedChunkBytes = kMaxFileBytes;

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::array<std::uint8_t, 12> kIendTrailer = {0x00, 0x00, 0x00, 0x00, 0x49, 0x45,
                                                       0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

const char* const kTooLarge = "This image is too large. Choose a PNG smaller than 100 MB.";
const char* const kDamaged = "The PNG is incomplete, damaged, or larger than 24 megapixels.";
const char* const kNoMemory = "Not enough memory to create the image.";

[[noreturn]] void damaged() {
    throw AppError(kDamaged);
}

void check(int status) {
    if (status != 0) {
        damaged();
    }
}

bool hasPngFraming(std::span<const std::uint8_t> png) {
    if (png.size() < kSignature.size() + kIendTrailer.size()) {
        return false;
    }
    return std::equal(kSignature.begin(), kSignature.end(), png.begin()) &&
           std::equal(kIendTrailer.begin(), kIendTrailer.end(), png.end() - kIendTrailer.size());
}

// Grey or RGB without a transparent colour: every pixel decodes opaque.
bool isOpaque(spng_ctx* ctx, const spng_ihdr& header) {
    spng_trns key{};
    return (header.color_type == SPNG_COLOR_TYPE_GRAYSCALE ||
            header.color_type == SPNG_COLOR_TYPE_TRUECOLOR) &&
           spng_get_trns(ctx, &key) != 0;
}

// 8-bit RGBA, or RGB without a transparent colour, not interlaced: what
// screenshots almost always are, and what unfilterToRgba turns into RGBA8
// exactly as the decoder would.
bool isPlainRgb(spng_ctx* ctx, const spng_ihdr& header) {
    if (header.bit_depth != 8 || header.interlace_method != 0) {
        return false;
    }
    return header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
           (header.color_type == SPNG_COLOR_TYPE_TRUECOLOR && isOpaque(ctx, header));
}

void premultiply(std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const unsigned alpha = pixels[i + 3];
        if (alpha == 255) {
            continue;
        }
        for (std::size_t c = 0; c < 3; ++c) {
            pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * alpha + 127) / 255);
        }
    }
}

} // namespace

std::vector<std::uint8_t> Raster::readFile(const std::filesystem::path& path) {
    try {
        return cadrelle::readFile(path, kMaxFileBytes);
    } catch (const FileTooLarge&) {
        throw AppError(kTooLarge);
    }
}

Raster Raster::load(const std::filesystem::path& path) {
    return decode(readFile(path));
}

Raster Raster::decode(std::span<const std::uint8_t> png) {
    if (png.size() > kMaxFileBytes) {
        throw AppError(kTooLarge);
    }
    if (!hasPngFraming(png)) {
        damaged();
    }
    PngChunkStream stream(png); // outlives the decoder that reads it
    // The decoder skips the zlib checksum: imageDataHasExactLength verifies it
    // on the same stream, and the chunk CRCs protect every byte as well.
    const SpngContext context = makeSpngContext(SPNG_CTX_IGNORE_ADLER32, kNoMemory);
    spng_ctx* ctx = context.get();
    check(spng_set_image_limits(ctx, kMaxSide, kMaxSide));
    check(spng_set_chunk_limits(ctx, kMaxAncillaryChunkBytes, kMaxCachedChunkBytes));
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzzing reaches deeper when mutated chunks are not all stopped by their
    // checksums; release builds always verify them.
    check(spng_set_crc_action(ctx, SPNG_CRC_USE, SPNG_CRC_USE));
#endif
    check(stream.attachTo(ctx));

    spng_ihdr header{};
    check(spng_get_ihdr(ctx, &header));
    if (header.width < 1 || header.height < 1 || header.width > kMaxSide ||
        header.height > kMaxSide ||
        static_cast<std::uint64_t>(header.width) * header.height > kMaxPixels) {
        damaged();
    }
    std::size_t length = 0;
    check(spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &length));

    const ImageLayout layout{header.width, header.height, header.bit_depth, header.color_type,
                             header.interlace_method != 0};
    const auto scratchBytes = static_cast<std::size_t>(imageDataBytes(layout)) + 1;

    Raster raster;
    raster.width = header.width;
    raster.height = header.height;
    try {
        raster.pixels.resize(std::max(length, scratchBytes));
    } catch (const std::bad_alloc&) {
        throw AppError(kNoMemory);
    }
    // libspng stops inflating once the image is complete; a stream that goes
    // on (a decompression bomb or trailing garbage) or whose checksum is wrong
    // is refused here. The check inflates into the pixel buffer before the
    // decoder fills it, so its pages are touched once for both.
    if (!imageDataHasExactLength(png, layout, raster.pixels)) {
        damaged();
    }
    // The chunks before the image data, so that a damaged one stops here and
    // the transparency key is known.
    check(spng_decode_chunks(ctx));
    if (isPlainRgb(ctx, header)) {
        // The check above left the inflated scanlines in the buffer: they
        // are unfiltered where they are instead of being inflated again.
        if (!imageDataChunksAreSound(png) ||
            !unfilterToRgba(raster.pixels, header.width, header.height,
                            header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4 : 3)) {
            damaged();
        }
        raster.pixels.resize(length);
    } else {
        raster.pixels.resize(length);
        check(
            spng_decode_image(ctx, raster.pixels.data(), length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS));
        // Read the chunks after the image data up to IEND, so that a damaged
        // tail is noticed too.
        check(spng_decode_chunks(ctx));
    }
    if (raster.pixels.capacity() > length + length / 8) {
        raster.pixels.shrink_to_fit(); // 16-bit images inflate to twice their pixels
    }

    spng_iccp profile{};
    if (spng_get_iccp(ctx, &profile) == 0 && profile.profile != nullptr) {
        const bool grey = header.color_type == 0 || header.color_type == 4;
        convertToSrgb(raster.pixels,
                      {reinterpret_cast<const std::uint8_t*>(profile.profile), profile.profile_len},
                      grey);
    }
    if (!isOpaque(ctx, header)) {
        premultiply(raster.pixels); // nothing to do where every alpha is 255
    }
    return raster;
}

} // namespace cadrelle
