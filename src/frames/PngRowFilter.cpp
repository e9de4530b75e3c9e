#include "PngRowFilter.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace cadrelle {

namespace {

std::uint8_t paeth(int left, int up, int upLeft) {
    const int pa = std::abs(up - upLeft);
    const int pb = std::abs(left - upLeft);
    const int pc = std::abs(left + up - 2 * upLeft);
    return static_cast<std::uint8_t>((pa <= pb && pa <= pc) ? left : (pb <= pc ? up : upLeft));
}

// Fills the Sub, Up, Average and Paeth candidates of a row, n bytes each. The
// pixel size is a template argument so that the loops compile to fixed
// strides.
template <std::size_t kPixelBytes>
void predict(const std::uint8_t* row, const std::uint8_t* up, std::size_t n, std::uint8_t* sub) {
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
}

// n × log2(n) − Σ c × log2(c) over the byte values' counts c: the entropy of
// the row's bytes times their number.
template <std::size_t kPixelBytes>
double entropyBits(const std::uint8_t* bytes, std::size_t n, const std::vector<double>& countBits) {
    // One table per byte of a pixel, so that runs of equal bytes do not wait
    // on the same counter.
    std::array<std::array<std::uint32_t, 256>, kPixelBytes> counts{};
    std::size_t i = 0;
    for (; i + kPixelBytes <= n; i += kPixelBytes) {
        for (std::size_t c = 0; c < kPixelBytes; ++c) {
            ++counts[c][bytes[i + c]];
        }
    }
    for (; i < n; ++i) {
        ++counts[0][bytes[i]];
    }
    double bits = countBits[n];
    for (std::size_t value = 0; value < 256; ++value) {
        std::uint32_t count = 0;
        for (std::size_t c = 0; c < kPixelBytes; ++c) {
            count += counts[c][value];
        }
        bits -= countBits[count];
    }
    return bits;
}

template <std::size_t kPixelBytes>
std::uint8_t choose(const std::uint8_t* row, const std::uint8_t* up, std::size_t n,
                    std::uint8_t* candidates, const std::vector<double>& countBits,
                    const std::uint8_t*& best, double& bestBits) {
    predict<kPixelBytes>(row, up, n, candidates);
    best = row;
    std::uint8_t bestType = 0;
    bestBits = entropyBits<kPixelBytes>(row, n, countBits);
    for (std::uint8_t type = 1; type <= 4; ++type) {
        const std::uint8_t* candidate = candidates + (type - 1) * n;
        const double bits = entropyBits<kPixelBytes>(candidate, n, countBits);
        if (bits < bestBits) {
            best = candidate;
            bestType = type;
            bestBits = bits;
        }
    }
    return bestType;
}

} // namespace

PngRowFilter::PngRowFilter(std::size_t rowBytes, std::size_t pixelBytes)
    : rowBytes_(rowBytes), pixelBytes_(pixelBytes), zeros_(rowBytes, 0), candidates_(4 * rowBytes),
      countBits_(rowBytes + 1, 0.0) {
    for (std::size_t c = 2; c <= rowBytes; ++c) {
        countBits_[c] = static_cast<double>(c) * std::log2(static_cast<double>(c));
    }
}

double PngRowFilter::filter(const std::uint8_t* row, const std::uint8_t* above, std::uint8_t* out) {
    const std::size_t n = rowBytes_;
    if (above != nullptr && std::memcmp(row, above, n) == 0) {
        out[0] = 2;
        std::memset(out + 1, 0, n);
        return 0;
    }
    const std::uint8_t* up = above != nullptr ? above : zeros_.data();
    const std::uint8_t* best = nullptr;
    double bestBits = 0;
    out[0] = pixelBytes_ == 3
                 ? choose<3>(row, up, n, candidates_.data(), countBits_, best, bestBits)
                 : choose<4>(row, up, n, candidates_.data(), countBits_, best, bestBits);
    std::memcpy(out + 1, best, n);
    return bestBits;
}

} // namespace cadrelle
