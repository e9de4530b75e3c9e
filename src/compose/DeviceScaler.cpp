#include "DeviceScaler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace cadrelle {

namespace {

constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;

double mitchell(double x) {
    x = std::abs(x);
    if (x < 1) {
        return (7 * x * x * x - 12 * x * x + 16.0 / 3) / 6;
    }
    if (x < 2) {
        return (-7.0 / 3 * x * x * x + 12 * x * x - 20 * x + 32.0 / 3) / 6;
    }
    return 0;
}

// The source pixels and fixed-point weights of each output pixel along one axis.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> weights; // count[o] weights from offset[o]
    std::vector<std::size_t> offset;
};

Taps tapsFor(int source, int target) {
    const double scale = static_cast<double>(target) / source;
    const double widen = std::min(1.0, scale);
    const double support = 2 / widen;
    Taps taps;
    for (int o = 0; o < target; ++o) {
        const double centre = (o + 0.5) / scale;
        const int first = std::max(0, static_cast<int>(std::floor(centre - support)));
        const int last = std::min(source - 1, static_cast<int>(std::ceil(centre + support)));
        std::vector<double> raw;
        double sum = 0;
        for (int i = first; i <= last; ++i) {
            raw.push_back(mitchell((i + 0.5 - centre) * widen));
            sum += raw.back();
        }
        taps.first.push_back(first);
        taps.count.push_back(static_cast<int>(raw.size()));
        taps.offset.push_back(taps.weights.size());
        // Rounded weights that add up to exactly one, the rest on the largest.
        int total = 0;
        std::size_t largest = 0;
        for (std::size_t k = 0; k < raw.size(); ++k) {
            const int weight = static_cast<int>(std::lround(raw[k] / sum * kOne));
            taps.weights.push_back(weight);
            total += weight;
            if (raw[k] > raw[largest]) {
                largest = k;
            }
        }
        taps.weights[taps.offset.back() + largest] += kOne - total;
    }
    return taps;
}

std::uint8_t clampChannel(int value) {
    return static_cast<std::uint8_t>(std::clamp((value + (kOne / 2)) >> kWeightBits, 0, 255));
}

} // namespace

QImage scaleDevice(const QImage& source, QSize size) {
    // Alpha is the fourth byte of every pixel in this format.
    const QImage image = source.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const Taps across = tapsFor(image.width(), size.width());
    const Taps down = tapsFor(image.height(), size.height());
    // Across first, into rows of the new width; then down.
    const auto rowBytes = static_cast<std::size_t>(size.width()) * 4;
    std::vector<std::uint8_t> narrow(rowBytes * static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = image.constScanLine(y);
        std::uint8_t* out = narrow.data() + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < size.width(); ++x) {
            const int* weights = across.weights.data() + across.offset[static_cast<std::size_t>(x)];
            const std::uint8_t* pixel =
                in + static_cast<std::size_t>(across.first[static_cast<std::size_t>(x)]) * 4;
            int sums[4] = {0, 0, 0, 0};
            for (int k = 0; k < across.count[static_cast<std::size_t>(x)]; ++k, pixel += 4) {
                for (int c = 0; c < 4; ++c) {
                    sums[c] += pixel[c] * weights[k];
                }
            }
            for (int c = 0; c < 4; ++c) {
                out[static_cast<std::size_t>(x) * 4 + static_cast<std::size_t>(c)] =
                    clampChannel(sums[c]);
            }
        }
    }
    QImage scaled(size, QImage::Format_RGBA8888_Premultiplied);
    std::vector<int> sums(rowBytes);
    for (int y = 0; y < size.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const auto o = static_cast<std::size_t>(y);
        const int* weights = down.weights.data() + down.offset[o];
        for (int k = 0; k < down.count[o]; ++k) {
            const std::uint8_t* row =
                narrow.data() + static_cast<std::size_t>(down.first[o] + k) * rowBytes;
            const int weight = weights[k];
            for (std::size_t i = 0; i < rowBytes; ++i) {
                sums[i] += row[i] * weight;
            }
        }
        std::uint8_t* out = scaled.scanLine(y);
        for (std::size_t i = 0; i < rowBytes; i += 4) {
            // The cubic's negative lobes may push a colour past its alpha,
            // which premultiplied pixels can't hold.
            const std::uint8_t alpha = clampChannel(sums[i + 3]);
            out[i + 3] = alpha;
            for (std::size_t c = 0; c < 3; ++c) {
                out[i + c] = std::min(clampChannel(sums[i + c]), alpha);
            }
        }
    }
    return scaled;
}

} // namespace cadrelle
