#include "RgbPngWriter.h"

#include "core/AppError.h"
#include "core/ParallelFor.h"
#include "frames/DeflateStrip.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <span>

namespace cadrelle {

namespace {

const char* const kCannotCreate = "Unable to create PNG data.";

// About this many filtered bytes per strip; strips start with an empty
// window, which costs little at this length.
constexpr std::size_t kStripBytes = 1024 * 1024;
constexpr std::size_t kPixelBytes = 3;

std::uint8_t paeth(int left, int up, int upLeft) {
    const int pa = std::abs(up - upLeft);
    const int pb = std::abs(left - upLeft);
    const int pc = std::abs(left + up - 2 * upLeft);
    return static_cast<std::uint8_t>((pa <= pb && pa <= pc) ? left : (pb <= pc ? up : upLeft));
}

// Chooses and applies the PNG filter of each row of 3-byte pixels: whichever
// of None, Sub, Up, Average and Paeth leaves bytes of the lowest entropy (the
// bits an ideal code of the row's own byte counts needs), the earlier on a
// tie, as the framed screenshots' encoder does for 4-byte pixels.
class RgbRowFilter {
public:
    explicit RgbRowFilter(std::size_t rowBytes)
        : rowBytes_(rowBytes), zeros_(rowBytes, 0), candidates_(4 * rowBytes),
          countBits_(rowBytes + 1, 0.0) {
        for (std::size_t c = 2; c <= rowBytes; ++c) {
            countBits_[c] = static_cast<double>(c) * std::log2(static_cast<double>(c));
        }
    }

    // Writes the filter type and the filtered row to `out`; `above` is the
    // row above, or nullptr for the first.
    void filter(const std::uint8_t* row, const std::uint8_t* above, std::uint8_t* out) {
        const std::size_t n = rowBytes_;
        if (above != nullptr && std::memcmp(row, above, n) == 0) {
            out[0] = 2;
            std::memset(out + 1, 0, n);
            return;
        }
        const std::uint8_t* up = above != nullptr ? above : zeros_.data();
        std::uint8_t* sub = candidates_.data();
        std::uint8_t* vertical = sub + n;
        std::uint8_t* average = vertical + n;
        std::uint8_t* predicted = average + n;
        for (std::size_t i = 0; i < kPixelBytes && i < n; ++i) {
            sub[i] = row[i];
            vertical[i] = static_cast<std::uint8_t>(row[i] - up[i]);
            average[i] = static_cast<std::uint8_t>(row[i] - (up[i] >> 1));
            predicted[i] = static_cast<std::uint8_t>(row[i] - up[i]);
        }
        for (std::size_t i = kPixelBytes; i < n; ++i) {
            const int left = row[i - kPixelBytes];
            sub[i] = static_cast<std::uint8_t>(row[i] - left);
            vertical[i] = static_cast<std::uint8_t>(row[i] - up[i]);
            average[i] = static_cast<std::uint8_t>(row[i] - ((left + up[i]) >> 1));
            predicted[i] =
                static_cast<std::uint8_t>(row[i] - paeth(left, up[i], up[i - kPixelBytes]));
        }
        const std::array<const std::uint8_t*, 5> candidates = {row, sub, vertical, average,
                                                               predicted};
        std::size_t best = 0;
        double bestBits = entropyBits(row);
        for (std::size_t type = 1; type < candidates.size(); ++type) {
            const double bits = entropyBits(candidates[type]);
            if (bits < bestBits) {
                best = type;
                bestBits = bits;
            }
        }
        out[0] = static_cast<std::uint8_t>(best);
        std::memcpy(out + 1, candidates[best], n);
    }

private:
    double entropyBits(const std::uint8_t* bytes) const {
        // One table per byte of a pixel, so that runs of equal bytes do not
        // wait on the same counter.
        std::array<std::array<std::uint32_t, 256>, kPixelBytes> counts{};
        std::size_t i = 0;
        for (; i + kPixelBytes <= rowBytes_; i += kPixelBytes) {
            for (std::size_t c = 0; c < kPixelBytes; ++c) {
                ++counts[c][bytes[i + c]];
            }
        }
        double bits = countBits_[rowBytes_];
        for (std::size_t value = 0; value < 256; ++value) {
            bits -= countBits_[counts[0][value] + counts[1][value] + counts[2][value]];
        }
        return bits;
    }

    std::size_t rowBytes_;
    std::vector<std::uint8_t> zeros_;
    std::vector<std::uint8_t> candidates_;
    std::vector<double> countBits_;
};

void rgbRow(const QImage& image, int y, std::uint8_t* out) {
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const int width = image.width();
    for (int x = 0; x < width; ++x) {
        out[0] = static_cast<std::uint8_t>(qRed(pixels[x]));
        out[1] = static_cast<std::uint8_t>(qGreen(pixels[x]));
        out[2] = static_cast<std::uint8_t>(qBlue(pixels[x]));
        out += kPixelBytes;
    }
}

struct Strip {
    std::vector<std::uint8_t> deflated;
    uLong adler = 1;
    std::size_t length = 0;
};

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

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
    appendBigEndian(png,
                    static_cast<std::uint32_t>(crc32_z(0, png.data() + start, png.size() - start)));
}

} // namespace

std::vector<std::uint8_t> encodeRgbPng(const QImage& source, std::size_t threads) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        throw AppError(kCannotCreate);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * kPixelBytes;
    const int rowsPerStrip =
        static_cast<int>(std::max<std::size_t>(1, kStripBytes / (rowBytes + 1)));
    const std::size_t count =
        static_cast<std::size_t>((image.height() + rowsPerStrip - 1) / rowsPerStrip);
    std::vector<Strip> strips(count);
    parallelFor("lumivane.store-png", count, threads == 0 ? availableThreads() : threads,
                [&](std::size_t index) {
                    const int first = static_cast<int>(index) * rowsPerStrip;
                    const int end = std::min(image.height(), first + rowsPerStrip);
                    std::vector<std::uint8_t> filtered(static_cast<std::size_t>(end - first) *
                                                       (rowBytes + 1));
                    std::vector<std::uint8_t> above(rowBytes);
                    std::vector<std::uint8_t> current(rowBytes);
                    RgbRowFilter filter(rowBytes);
                    if (first > 0) {
                        rgbRow(image, first - 1, above.data());
                    }
                    for (int y = first; y < end; ++y) {
                        rgbRow(image, y, current.data());
                        filter.filter(current.data(), y > 0 ? above.data() : nullptr,
                                      filtered.data() +
                                          static_cast<std::size_t>(y - first) * (rowBytes + 1));
                        above.swap(current);
                    }
                    Strip& strip = strips[index];
                    strip.length = filtered.size();
                    strip.adler = adler32_z(1, filtered.data(), filtered.size());
                    strip.deflated = deflateStrip(filtered, index + 1 == count, 6);
                });

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    appendBigEndian(header, static_cast<std::uint32_t>(image.width()));
    appendBigEndian(header, static_cast<std::uint32_t>(image.height()));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, not interlaced
    appendChunk(png, "IHDR", {header});
    const std::array<std::uint8_t, 1> perceptual = {0};
    appendChunk(png, "sRGB", {perceptual});
    uLong adler = adler32_z(0, nullptr, 0);
    for (const Strip& strip : strips) {
        adler = adler32_combine(adler, strip.adler, static_cast<z_off_t>(strip.length));
    }
    std::vector<std::uint8_t> trailer;
    appendBigEndian(trailer, static_cast<std::uint32_t>(adler));
    const auto zlibHeader = zlibStreamHeader();
    for (std::size_t i = 0; i < strips.size(); ++i) {
        const std::span<const std::uint8_t> none;
        appendChunk(png, "IDAT",
                    {i == 0 ? zlibHeader : none, strips[i].deflated,
                     i + 1 == strips.size() ? trailer : none});
    }
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace cadrelle
