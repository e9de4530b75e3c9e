#include "PngWriter.h"

#include "frames/SpngContext.h"

#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>

namespace cadrelle::test {

namespace {

void check(int status, const char* what) {
    if (status != 0) {
        throw std::runtime_error(std::string("PNG test writer: ") + what + ": " +
                                 spng_strerror(status));
    }
}

void appendBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

std::uint32_t pack(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

// Writes samples MSB-first at any bit depth; 16-bit samples in host order,
// as libspng expects them.
class SampleWriter {
public:
    explicit SampleWriter(int depth) : depth_(depth) {}
    void put(unsigned value8) {
        if (depth_ == 16) {
            const std::uint16_t wide = static_cast<std::uint16_t>(value8 * 257);
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(&wide);
            data.push_back(bytes[0]);
            data.push_back(bytes[1]);
            return;
        }
        putRaw(value8 * ((1u << depth_) - 1) / 255);
    }
    void putRaw(unsigned value) {
        if (depth_ >= 8) {
            data.push_back(static_cast<std::uint8_t>(value));
            return;
        }
        if (bits_ == 0) {
            data.push_back(0);
        }
        bits_ += depth_;
        data.back() |= static_cast<std::uint8_t>(value << (8 - bits_));
        if (bits_ == 8) {
            bits_ = 0;
        }
    }
    void endRow() { bits_ = 0; }
    std::vector<std::uint8_t> data;

private:
    int depth_;
    int bits_ = 0;
};

} // namespace

RgbaImage::RgbaImage(std::uint32_t w, std::uint32_t h, std::uint32_t rgba)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4) {
    fill(0, 0, w, h, rgba);
}

void RgbaImage::set(std::uint32_t x, std::uint32_t y, std::uint32_t rgba) {
    std::uint8_t* p = at(x, y);
    p[0] = static_cast<std::uint8_t>(rgba >> 24);
    p[1] = static_cast<std::uint8_t>(rgba >> 16);
    p[2] = static_cast<std::uint8_t>(rgba >> 8);
    p[3] = static_cast<std::uint8_t>(rgba);
}

void RgbaImage::fill(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h,
                     std::uint32_t rgba) {
    for (std::uint32_t row = y; row < y + h; ++row) {
        for (std::uint32_t column = x; column < x + w; ++column) {
            set(column, row, rgba);
        }
    }
}

std::vector<std::uint8_t> encodeTestPng(const RgbaImage& image, const PngOptions& options) {
    const SpngContext context = makeSpngContext(SPNG_CTX_ENCODER, "PNG test writer: no memory");
    spng_ctx* ctx = context.get();
    check(spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1), "buffer");
    if (options.filterChoice != 0) {
        check(spng_set_option(ctx, SPNG_FILTER_CHOICE, options.filterChoice), "filter");
    }

    static const std::map<PngColor, std::uint8_t> colorTypes = {{PngColor::grey, 0},
                                                                {PngColor::rgb, 2},
                                                                {PngColor::palette, 3},
                                                                {PngColor::greyAlpha, 4},
                                                                {PngColor::rgba, 6}};
    spng_ihdr header{image.width,
                     image.height,
                     static_cast<std::uint8_t>(options.bitDepth),
                     colorTypes.at(options.color),
                     0,
                     0,
                     static_cast<std::uint8_t>(options.interlaced ? 1 : 0)};
    check(spng_set_ihdr(ctx, &header), "header");

    const std::uint8_t* transparentKey = nullptr;
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        if (image.pixels[i + 3] == 0) {
            transparentKey = image.pixels.data() + i;
            break;
        }
    }

    SampleWriter samples(options.bitDepth);
    spng_plte palette{};
    spng_trns trns{};
    std::map<std::uint32_t, unsigned> paletteIndex;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.pixels.data() + (std::size_t{y} * image.width + x) * 4;
            switch (options.color) {
            case PngColor::grey:
                samples.put(p[0]);
                break;
            case PngColor::greyAlpha:
                samples.put(p[0]);
                samples.put(p[3]);
                break;
            case PngColor::rgb:
                samples.put(p[0]);
                samples.put(p[1]);
                samples.put(p[2]);
                break;
            case PngColor::rgba:
                for (int c = 0; c < 4; ++c) {
                    samples.put(p[c]);
                }
                break;
            case PngColor::palette: {
                const auto [entry, added] =
                    paletteIndex.emplace(pack(p), static_cast<unsigned>(paletteIndex.size()));
                if (added) {
                    if (entry->second >= (1u << options.bitDepth)) {
                        throw std::runtime_error("PNG test writer: too many colours");
                    }
                    palette.entries[entry->second] = {p[0], p[1], p[2], 0};
                    trns.type3_alpha[entry->second] = p[3];
                }
                samples.putRaw(entry->second);
                break;
            }
            }
        }
        samples.endRow();
    }

    if (options.color == PngColor::palette) {
        palette.n_entries = static_cast<std::uint32_t>(paletteIndex.size());
        check(spng_set_plte(ctx, &palette), "palette");
        trns.n_type3_entries = palette.n_entries;
        check(spng_set_trns(ctx, &trns), "transparency");
    } else if (transparentKey != nullptr &&
               (options.color == PngColor::grey || options.color == PngColor::rgb)) {
        const unsigned maximum = (1u << options.bitDepth) - 1;
        auto scale = [maximum](unsigned value) {
            return static_cast<std::uint16_t>(value * maximum / 255);
        };
        trns.gray = scale(transparentKey[0]);
        trns.red = scale(transparentKey[0]);
        trns.green = scale(transparentKey[1]);
        trns.blue = scale(transparentKey[2]);
        check(spng_set_trns(ctx, &trns), "transparency");
    }
    std::vector<char> profile(options.iccProfile.begin(), options.iccProfile.end());
    if (!profile.empty()) {
        spng_iccp iccp{};
        std::snprintf(iccp.profile_name, sizeof iccp.profile_name, "Test profile");
        iccp.profile_len = profile.size();
        iccp.profile = profile.data();
        check(spng_set_iccp(ctx, &iccp), "profile");
    }
    check(spng_encode_image(ctx, samples.data.data(), samples.data.size(), SPNG_FMT_PNG,
                            SPNG_ENCODE_FINALIZE),
          "encode");
    std::size_t length = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(ctx, &length, &error);
    check(error, "buffer");
    std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(buffer),
                                    static_cast<std::uint8_t*>(buffer) + length);
    std::free(buffer);
    return bytes;
}

void writeBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void writeTestPng(const std::filesystem::path& path, const RgbaImage& image,
                  const PngOptions& options) {
    writeBytes(path, encodeTestPng(image, options));
}

std::vector<std::uint8_t> pngChunk(const std::string& type, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> chunk;
    chunk.reserve(data.size() + 12);
    appendBig32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), type.begin(), type.end());
    chunk.insert(chunk.end(), data.begin(), data.end());
    uLong crc = crc32(0, chunk.data() + 4, 4);
    // zlib's crc32 takes at most 4 GiB - 1 per call; chunks here stay below that.
    if (!data.empty()) {
        crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    }
    appendBig32(chunk, static_cast<std::uint32_t>(crc));
    return chunk;
}

std::vector<std::uint8_t> withChunkAfterHeader(std::span<const std::uint8_t> png,
                                               std::span<const std::uint8_t> chunk) {
    // Signature (8) + IHDR (4 + 4 + 13 + 4).
    constexpr std::size_t headerEnd = 33;
    if (png.size() < headerEnd) {
        throw std::runtime_error("PNG test writer: no header to insert after");
    }
    std::vector<std::uint8_t> out(png.size() + chunk.size());
    std::copy(png.begin(), png.begin() + headerEnd, out.begin());
    std::copy(chunk.begin(), chunk.end(), out.begin() + headerEnd);
    std::copy(png.begin() + headerEnd, png.end(),
              out.begin() + static_cast<std::ptrdiff_t>(headerEnd + chunk.size()));
    return out;
}

std::vector<std::uint8_t> rawRgbaPng(std::uint32_t width, std::uint32_t height,
                                     std::span<const std::uint8_t> zlibData) {
    std::vector<std::uint8_t> png = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> header;
    appendBig32(header, width);
    appendBig32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    for (const auto& chunk :
         {pngChunk("IHDR", header), pngChunk("IDAT", zlibData), pngChunk("IEND", {})}) {
        png.insert(png.end(), chunk.begin(), chunk.end());
    }
    return png;
}

std::vector<std::uint8_t> deflatedZeroRows(std::size_t rowBytes, std::size_t rows) {
    z_stream stream{};
    if (deflateInit(&stream, 9) != Z_OK) {
        throw std::runtime_error("PNG test writer: deflate failed");
    }
    const std::vector<std::uint8_t> row(rowBytes, 0);
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[1 << 16];
    for (std::size_t i = 0; i <= rows; ++i) {
        const bool last = i == rows;
        stream.next_in = const_cast<std::uint8_t*>(row.data());
        stream.avail_in = last ? 0 : static_cast<uInt>(row.size());
        do {
            stream.next_out = buffer;
            stream.avail_out = sizeof buffer;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.insert(out.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

std::vector<std::uint8_t> deflateBytes(std::span<const std::uint8_t> bytes, int level) {
    uLongf length = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<std::uint8_t> out(length);
    if (compress2(out.data(), &length, bytes.data(), static_cast<uLong>(bytes.size()), level) !=
        Z_OK) {
        throw std::runtime_error("PNG test writer: deflate failed");
    }
    out.resize(length);
    return out;
}

} // namespace cadrelle::test
