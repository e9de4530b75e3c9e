#include "PngRowFilter.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace cadrelle {

namespace {

constexpr std::size_t kPixelBytes = 4;

std::uint8_t paeth(int left, int up, int upLeft) {
    const int pa = std::abs(up - upLeft);
    const int pb = std::abs(left - upLeft);
    const int pc = std::abs(left + up - 2 * upLeft);
    return static_cast<std::uint8_t>((pa <= pb && pa <= pc) ? left : (pb <= pc ? up : upLeft));
}

} // namespace

PngRowFilter::PngRowFilter(std::size_t rowBytes)
    : rowBytes_(rowBytes), zeros_(rowBytes, 0), candidates_(4 * rowBytes),
      countBits_(rowBytes + 1, 0.0) {
    for (std::size_t c = 2; c <= rowBytes; ++c) {
        countBits_[c] = static_cast<double>(c) * std::log2(static_cast<double>(c));
    }
}

// n × log2(n) − Σ c × log2(c) over the byte values' counts c: the entropy of
// the row's bytes times their number.
double PngRowFilter::entropyBits(const std::uint8_t* bytes) const {
    // One table per byte of a pixel, so that runs of equal bytes do not wait
    // on the same counter.
    std::array<std::array<std::uint32_t, 256>, kPixelBytes> counts{};
    std::size_t i = 0;
    for (; i + kPixelBytes <= rowBytes_; i += kPixelBytes) {
        for (std::size_t c = 0; c < kPixelBytes; ++c) {
            ++counts[c][bytes[i + c]];
        }
    }
    for (; i < rowBytes_; ++i) {
        ++counts[0][bytes[i]];
    }
    double bits = countBits_[rowBytes_];
    for (std::size_t value = 0; value < 256; ++value) {
        bits -=
            countBits_[counts[0][value] + counts[1][value] + counts[2][value] + counts[3][value]];
    }
    return bits;
}

double PngRowFilter::filter(const std::uint8_t* row, const std::uint8_t* above, std::uint8_t* out) {
    const std::size_t n = rowBytes_;
    if (above != nullptr && std::memcmp(row, above, n) == 0) {
        out[0] = 2;
        std::memset(out + 1, 0, n);
        return 0;
    }
    const std::uint8_t* up = above != nullptr ? above : zeros_.data();
    std::uint8_t* sub = candidates_.data();
    std::uint8_t* vertical = sub + n;
    std::uint8_t* average = vertical + n;
    std::uint8_t* predicted = average + n;
    // The first pixel has no left neighbour: left and upper left count as 0.
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
        predicted[i] = static_cast<std::uint8_t>(row[i] - paeth(left, up[i], up[i - kPixelBytes]));
    }

    const std::uint8_t* best = row;
    std::uint8_t bestType = 0;
    double bestBits = entropyBits(row);
    for (std::uint8_t type = 1; type <= 4; ++type) {
        const std::uint8_t* candidate = candidates_.data() + (type - 1) * n;
        const double bits = entropyBits(candidate);
        if (bits < bestBits) {
            best = candidate;
            bestType = type;
            bestBits = bits;
        }
    }
    out[0] = bestType;
    std::memcpy(out + 1, best, n);
    return bestBits;
}

} // namespace cadrelle
