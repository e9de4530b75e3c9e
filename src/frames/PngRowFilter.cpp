#include "PngRowFilter.h"

#include "PngPaeth.h"

#include <array>
#include <cmath>
#include <cstring>

namespace cadrelle {

namespace {

// Fills the Sub, Up, Average and Paeth candidates of a row, n bytes each. The
// pixel size is a template argument so that the loops compile to fixed
// strides, and the Paeth choice is written as selects, not branches, on
// arrays that do not overlap, so that the loop runs on vector registers.
template <std::size_t kPixelBytes>
[[gnu::always_inline]] inline void predict(const std::uint8_t* __restrict row,
                                           const std::uint8_t* __restrict up, std::size_t n,
                                           std::uint8_t* candidates) {
    std::uint8_t* __restrict sub = candidates;
    std::uint8_t* __restrict vertical = sub + n;
    std::uint8_t* __restrict average = vertical + n;
    std::uint8_t* __restrict predicted = average + n;
    // The first pixel has no left neighbour: left and upper left count as 0.
    for (std::size_t i = 0; i < kPixelBytes && i < n; ++i) {
        sub[i] = row[i];
        vertical[i] = static_cast<std::uint8_t>(row[i] - up[i]);
        average[i] = static_cast<std::uint8_t>(row[i] - (up[i] >> 1));
        predicted[i] = static_cast<std::uint8_t>(row[i] - up[i]);
    }
    for (std::size_t i = kPixelBytes; i < n; ++i) {
        const int left = row[i - kPixelBytes];
        const int above = up[i];
        const int aboveLeft = up[i - kPixelBytes];
        const int paeth = paethPredictor(left, above, aboveLeft);
        sub[i] = static_cast<std::uint8_t>(row[i] - left);
        vertical[i] = static_cast<std::uint8_t>(row[i] - above);
        average[i] = static_cast<std::uint8_t>(row[i] - ((left + above) >> 1));
        predicted[i] = static_cast<std::uint8_t>(row[i] - paeth);
    }
}

// n × log2(n) − Σ c × log2(c) over the byte values' counts c: the entropy of
// the row's bytes times their number. One table per byte of kLanes
// consecutive bytes, so that runs of equal bytes (an opaque alpha channel, a
// flat area) do not wait on the same counter.
template <typename Count, std::size_t kLanes>
[[gnu::always_inline]] inline double countedEntropyBits(const std::uint8_t* bytes, std::size_t n,
                                                        const std::vector<double>& countBits) {
    std::array<std::array<Count, 256>, kLanes> counts{};
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        for (std::size_t c = 0; c < kLanes; ++c) {
            ++counts[c][bytes[i + c]];
        }
    }
    for (; i < n; ++i) {
        ++counts[0][bytes[i]];
    }
    std::array<Count, 256> total = counts[0];
    for (std::size_t c = 1; c < kLanes; ++c) {
        for (std::size_t value = 0; value < 256; ++value) {
            total[value] = static_cast<Count>(total[value] + counts[c][value]);
        }
    }
    double bits = countBits[n];
    for (const Count count : total) {
        bits -= countBits[count];
    }
    return bits;
}

// Rows of fewer than 65,536 bytes, all but the widest images, count in 16
// bits: four pixels of tables take the cache space of two in 32 bits.
template <std::size_t kPixelBytes>
[[gnu::always_inline]] inline double entropyBits(const std::uint8_t* bytes, std::size_t n,
                                                 const std::vector<double>& countBits) {
    if (n <= 0xFFFF) {
        return countedEntropyBits<std::uint16_t, 4 * kPixelBytes>(bytes, n, countBits);
    }
    return countedEntropyBits<std::uint32_t, 2 * kPixelBytes>(bytes, n, countBits);
}

template <std::size_t kPixelBytes>
[[gnu::always_inline]] inline std::uint8_t
choose(const std::uint8_t* row, const std::uint8_t* up, std::size_t n, std::uint8_t* candidates,
       const std::vector<double>& countBits, const std::uint8_t*& best, double& bestBits) {
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

// On x86-64 the filter is also built for AVX2, chosen when the processor has
// it: the candidates are then made 32 bytes at a time instead of 16. Both
// builds choose the same filters. Not under ThreadSanitizer, whose
// instrumented choice would run while the program loads, before it is ready.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("avx2", "default")))
#endif
double
PngRowFilter::filter(const std::uint8_t* row, const std::uint8_t* above, std::uint8_t* out) {
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
