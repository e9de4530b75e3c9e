#include "PngEncoder.h"

#include "DeflateStrip.h"
#include "PngRowFilter.h"

#include "core/AppError.h"
#include "core/ParallelFor.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <new>
#include <span>
#include <utility>

namespace cadrelle {

namespace {

// The image is cut into strips of whole rows, about kStripBytes of filtered
// data each, that are filtered and deflated on all cores and joined into one
// zlib stream. A strip starts with an empty window, which costs 0.1–0.2% of
// the size at this length against a single pass.
constexpr std::size_t kStripBytes = 1024 * 1024;

// How hard each strip is compressed, measured on framed 1440 × 3000
// screenshots (flat interface, photos, grainy wallpaper) filtered by
// PngRowFilter. libdeflate's lazy matching at level 6 is the base: 2–11%
// smaller than ImageMagick's default (zlib level 7, filtered strategy) in
// less than half the time of zlib at level 6. On busy strips (photos, grain)
// the near-optimal parsing of level 10 saves another 4–6%, more per unit of
// time than levels 7–9, for about five times the time of level 6; quiet
// strips (flat interface, bezels) gain little from it and would pay for its
// search. Level 10 goes to one strip in every whole group of three busy
// strips, the first, so never to more than a third of them, which makes a
// framed photo or grainy screenshot 3–4% smaller than ImageMagick's while
// keeping it well inside the time other tools take.
// How busy a strip is comes from a sample of its rows, filtered ahead, so
// that the busy strips can be counted before any is compressed. The choice
// depends on the image's rows only, never on the threads.
constexpr double kBusyBitsPerByte = 1.0; // entropy of the filtered bytes
constexpr std::int64_t kSampleEvery = 8; // rows
constexpr int kLevel = 6;
constexpr int kThoroughLevel = 10;
constexpr std::size_t kThoroughEvery = 3;

const char* const kCannotCreate = "Unable to create PNG data.";

// Straight alpha from premultiplied: the inverse of c × a / 255, rounded.
// Runs of opaque pixels, most of a framed screenshot, are copied as they are.
void unpremultiplyRow(const std::uint8_t* source, std::uint8_t* target, std::size_t pixels) {
    const std::size_t bytes = pixels * 4;
    for (std::size_t i = 0; i < bytes;) {
        std::size_t opaque = i;
        while (opaque < bytes && source[opaque + 3] == 255) {
            opaque += 4;
        }
        std::memcpy(target + i, source + i, opaque - i);
        for (i = opaque; i < bytes && source[i + 3] != 255; i += 4) {
            const unsigned alpha = source[i + 3];
            target[i + 3] = static_cast<std::uint8_t>(alpha);
            for (std::size_t c = 0; c < 3; ++c) {
                const unsigned value = alpha == 0 ? 0 : (source[i + c] * 255u + alpha / 2) / alpha;
                target[i + c] = static_cast<std::uint8_t>(value > 255 ? 255 : value);
            }
        }
    }
}

// The rows of an image and how they are laid out: premultiplied RGBA that
// is stored with straight alpha, or opaque RGB stored as it is.
struct RowFormat {
    const std::function<void(std::int64_t, std::uint8_t*)>& source;
    bool premultiplied;
    std::size_t pixelBytes;  // 4 or 3
    std::uint8_t colourType; // IHDR colour type: 6 RGBA, 2 RGB
};

// Where the strips start and end. It depends on the image size only, never
// on the number of threads, so neither do the bytes.
struct StripLayout {
    std::int64_t width;
    std::int64_t height;
    std::size_t rowBytes;      // pixel bytes × width
    std::size_t filteredBytes; // filter type byte + rowBytes
    std::int64_t rowsPerStrip;
    std::size_t strips;

    StripLayout(std::int64_t w, std::int64_t h, std::size_t pixelBytes)
        : width(w), height(h), rowBytes(static_cast<std::size_t>(w) * pixelBytes),
          filteredBytes(rowBytes + 1), rowsPerStrip(static_cast<std::int64_t>(
                                           std::max<std::size_t>(1, kStripBytes / filteredBytes))),
          strips(static_cast<std::size_t>((h + rowsPerStrip - 1) / rowsPerStrip)) {}
};

struct CompressedStrip {
    std::vector<std::uint8_t> deflated;
    uLong adler = 1;        // Adler-32 of the strip's filtered bytes
    std::size_t length = 0; // number of filtered bytes
};

// The first row of a strip and the row after its last.
std::pair<std::int64_t, std::int64_t> stripRows(const StripLayout& layout, std::size_t index) {
    const std::int64_t first = static_cast<std::int64_t>(index) * layout.rowsPerStrip;
    return {first, std::min(layout.height, first + layout.rowsPerStrip)};
}

// Makes the rows as they are stored: straight alpha, or RGB as it is.
class RowMaker {
public:
    RowMaker(const StripLayout& layout, const RowFormat& format)
        : format_(format), pixels_(static_cast<std::size_t>(layout.width)),
          premultiplied_(format.premultiplied ? layout.rowBytes : 0) {}

    void make(std::int64_t y, std::uint8_t* row) {
        if (format_.premultiplied) {
            format_.source(y, premultiplied_.data());
            unpremultiplyRow(premultiplied_.data(), row, pixels_);
        } else {
            format_.source(y, row);
        }
    }

private:
    const RowFormat& format_;
    std::size_t pixels_;
    std::vector<std::uint8_t> premultiplied_;
};

// Whether a strip is busy, judged on every kSampleEvery-th of its rows with
// the filter each of them gets.
bool isBusy(const StripLayout& layout, std::size_t index, const RowFormat& format) {
    const auto [first, end] = stripRows(layout, index);
    RowMaker rows(layout, format);
    std::vector<std::uint8_t> above(layout.rowBytes);
    std::vector<std::uint8_t> current(layout.rowBytes);
    std::vector<std::uint8_t> filtered(layout.filteredBytes);
    PngRowFilter filter(layout.rowBytes, format.pixelBytes);
    double bits = 0;
    std::size_t bytes = 0;
    for (std::int64_t y = first; y < end; y += kSampleEvery) {
        if (y > 0) {
            rows.make(y - 1, above.data());
        }
        rows.make(y, current.data());
        bits += filter.filter(current.data(), y > 0 ? above.data() : nullptr, filtered.data());
        bytes += layout.filteredBytes;
    }
    return bits >= kBusyBitsPerByte * static_cast<double>(bytes);
}

// The compression level of every strip.
std::vector<int> stripLevels(const StripLayout& layout, const RowFormat& format,
                             std::size_t threads) {
    std::vector<char> busy(layout.strips);
    parallelFor("lumivane.png", layout.strips, threads,
                [&](std::size_t index) { busy[index] = isBusy(layout, index, format) ? 1 : 0; });
    const auto busyStrips = static_cast<std::size_t>(std::count(busy.begin(), busy.end(), 1));
    std::vector<int> levels(layout.strips, kLevel);
    std::size_t counted = 0; // busy strips before this one
    for (std::size_t index = 0; index < layout.strips; ++index) {
        if (busy[index] == 0) {
            continue;
        }
        if (counted % kThoroughEvery == 0 && counted + kThoroughEvery <= busyStrips) {
            levels[index] = kThoroughLevel;
        }
        ++counted;
    }
    return levels;
}

// Makes, filters and deflates the rows of one strip. The row above the strip
// is made again here for the filters of its first row.
CompressedStrip compressStrip(const StripLayout& layout, std::size_t index, const RowFormat& format,
                              int level) {
    const auto [first, end] = stripRows(layout, index);
    std::vector<std::uint8_t> filtered(static_cast<std::size_t>(end - first) *
                                       layout.filteredBytes);
    std::vector<std::uint8_t> above(layout.rowBytes);
    std::vector<std::uint8_t> current(layout.rowBytes);
    RowMaker rows(layout, format);
    if (first > 0) {
        rows.make(first - 1, above.data());
    }
    PngRowFilter filter(layout.rowBytes, format.pixelBytes);
    for (std::int64_t y = first; y < end; ++y) {
        rows.make(y, current.data());
        filter.filter(current.data(), y > 0 ? above.data() : nullptr,
                      filtered.data() + static_cast<std::size_t>(y - first) * layout.filteredBytes);
        above.swap(current);
    }
    CompressedStrip strip;
    strip.length = filtered.size();
    strip.adler = libdeflate_adler32(1, filtered.data(), filtered.size());
    strip.deflated = deflateStrip(filtered, index + 1 == layout.strips, level);
    return strip;
}

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Appends a chunk whose data is the concatenation of `parts`.
void appendChunk(std::vector<std::uint8_t>& png, const char* type,
                 std::initializer_list<std::span<const std::uint8_t>> parts) {
    std::size_t length = 0;
    for (const auto& part : parts) {
        length += part.size();
    }
    appendBigEndian(png, static_cast<std::uint32_t>(length));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    for (const auto& part : parts) {
        png.insert(png.end(), part.begin(), part.end());
    }
    appendBigEndian(png, libdeflate_crc32(0, png.data() + start, png.size() - start));
}

// The PNG around the strips: the signature, IHDR (8 bits per channel, not
// interlaced), sRGB (perceptual), one IDAT per strip holding the zlib stream
// and IEND.
std::vector<std::uint8_t> assemblePng(const StripLayout& layout, std::uint8_t colourType,
                                      std::vector<CompressedStrip>& strips) {
    std::size_t total = 128;
    uLong adler = adler32_z(0, nullptr, 0);
    for (const auto& strip : strips) {
        total += strip.deflated.size() + 12;
        adler = adler32_combine(adler, strip.adler, static_cast<z_off_t>(strip.length));
    }
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.reserve(total);
    std::vector<std::uint8_t> header;
    appendBigEndian(header, static_cast<std::uint32_t>(layout.width));
    appendBigEndian(header, static_cast<std::uint32_t>(layout.height));
    header.insert(header.end(), {8, colourType, 0, 0, 0});
    appendChunk(png, "IHDR", {header});
    const std::array<std::uint8_t, 1> perceptual = {0};
    appendChunk(png, "sRGB", {perceptual});

    const auto zlibHeader = zlibStreamHeader();
    std::vector<std::uint8_t> trailer;
    appendBigEndian(trailer, static_cast<std::uint32_t>(adler));
    for (std::size_t i = 0; i < strips.size(); ++i) {
        const std::span<const std::uint8_t> none;
        appendChunk(png, "IDAT",
                    {i == 0 ? zlibHeader : none, strips[i].deflated,
                     i + 1 == strips.size() ? trailer : none});
        // Freed as it goes, so the strips and the PNG are not both held whole.
        std::vector<std::uint8_t>().swap(strips[i].deflated);
    }
    appendChunk(png, "IEND", {});
    return png;
}

std::vector<std::uint8_t> encodeRows(std::int64_t width, std::int64_t height,
                                     const RowFormat& format, std::size_t threads) {
    // A strip of one filtered row must fit a chunk, the height IHDR.
    if (width < 1 || height < 1 || width > 0x0FFFFFFF || height > 0x7FFFFFFF) {
        throw AppError(kCannotCreate);
    }
    try {
        const StripLayout layout(width, height, format.pixelBytes);
        std::vector<CompressedStrip> strips(layout.strips);
        const std::size_t workers = threads == 0 ? availableThreads() : threads;
        const std::vector<int> levels = stripLevels(layout, format, workers);
        // The strips with the thorough level, several times the work of the
        // others, are taken first: the quick ones then fill the gaps, instead
        // of one slow strip running alone at the end. The order only decides
        // when a strip is made, never what it holds.
        std::vector<std::size_t> order;
        order.reserve(layout.strips);
        for (const bool thorough : {true, false}) {
            for (std::size_t index = 0; index < layout.strips; ++index) {
                if ((levels[index] == kThoroughLevel) == thorough) {
                    order.push_back(index);
                }
            }
        }
        parallelFor("lumivane.png", layout.strips, workers, [&](std::size_t position) {
            const std::size_t index = order[position];
            strips[index] = compressStrip(layout, index, format, levels[index]);
        });
        return assemblePng(layout, format.colourType, strips);
    } catch (const std::bad_alloc&) {
        throw AppError("Not enough memory to create the image.");
    }
}

} // namespace

std::vector<std::uint8_t> encodePng(std::int64_t width, std::int64_t height,
                                    const PremultipliedRowSource& rowSource, std::size_t threads) {
    return encodeRows(width, height, RowFormat{rowSource, true, 4, 6}, threads);
}

std::vector<std::uint8_t> encodeRgbPng(std::int64_t width, std::int64_t height,
                                       const RgbRowSource& rowSource, std::size_t threads) {
    return encodeRows(width, height, RowFormat{rowSource, false, 3, 2}, threads);
}

std::vector<std::uint8_t> encodePng(const Raster& raster) {
    if (raster.width < 1 || raster.height < 1 ||
        raster.pixels.size() != static_cast<std::size_t>(raster.width * raster.height * 4)) {
        throw AppError(kCannotCreate);
    }
    const auto rowBytes = static_cast<std::size_t>(raster.width) * 4;
    return encodePng(
        raster.width, raster.height, [&raster, rowBytes](std::int64_t y, std::uint8_t* row) {
            std::memcpy(row, raster.pixels.data() + static_cast<std::size_t>(y) * rowBytes,
                        rowBytes);
        });
}

} // namespace cadrelle
