#include "Yuv444Shrinker.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace cadrelle {
namespace {

// The layout of a 4:4:4 format this converts.
struct Layout {
    int depth = 0;
    bool alpha = false;
    bool fullRange = false;
};

std::optional<Layout> layoutOf(int format) {
    switch (format) {
    case AV_PIX_FMT_YUV444P:
        return Layout{8, false, false};
    case AV_PIX_FMT_YUVJ444P:
        return Layout{8, false, true};
    case AV_PIX_FMT_YUVA444P:
        return Layout{8, true, false};
    case AV_PIX_FMT_YUV444P10LE:
        return Layout{10, false, false};
    case AV_PIX_FMT_YUVA444P10LE:
        return Layout{10, true, false};
    case AV_PIX_FMT_YUV444P12LE:
        return Layout{12, false, false};
    case AV_PIX_FMT_YUVA444P12LE:
        return Layout{12, true, false};
    default:
        return std::nullopt;
    }
}

// Y'CbCr at 8 bits to R'G'B': Y' is offset and scaled to 0–255, Cb and Cr
// centred on 0 and multiplied.
struct Coefficients {
    float yScale, yOffset, rv, gu, gv, bu;
};

Coefficients coefficients(YuvMatrix matrix) {
    const double kr = matrix.bt601 ? 0.299 : 0.2126;
    const double kb = matrix.bt601 ? 0.114 : 0.0722;
    const double kg = 1 - kr - kb;
    const double c = matrix.fullRange ? 1.0 : 255.0 / 224.0;
    return {float(matrix.fullRange ? 1.0 : 255.0 / 219.0),
            float(matrix.fullRange ? 0.0 : 16.0),
            float(c * 2 * (1 - kr)),
            float(c * 2 * (1 - kb) * kb / kg),
            float(c * 2 * (1 - kr) * kr / kg),
            float(c * 2 * (1 - kb))};
}

// A colour channel already multiplied by its alpha, rounded and kept
// within that alpha.
int channel(float premultiplied, int alpha) {
    return std::clamp(int(premultiplied + 0.5f), 0, alpha);
}

template <typename Sample>
void shrink(const AVFrame& picture, const Layout& layout, const std::vector<int>& columns,
            int samplesX, const std::vector<int>& rows, int samplesY, const Coefficients& k,
            QImage& image) {
    // Sums of up to 9 products of two 12-bit samples fit 32 bits.
    const int opaque = (1 << layout.depth) - 1;
    const int fullWeight = opaque * samplesX * samplesY;
    // Averages come out at the picture's depth; 8-bit values are wanted.
    const float toEight = 1.0f / float(1 << (layout.depth - 8));
    const auto plane = [&](int index, int row) {
        return reinterpret_cast<const Sample*>(picture.data[index] +
                                               std::ptrdiff_t(row) * picture.linesize[index]);
    };
    const int width = image.width();
    for (int oy = 0; oy < image.height(); ++oy) {
        // The planes' sample rows this output row averages.
        const Sample* lines[3][4] = {};
        for (int sy = 0; sy < samplesY; ++sy) {
            const int row = rows[std::size_t(oy * samplesY + sy)];
            for (int index = 0; index < (layout.alpha ? 4 : 3); ++index) {
                lines[sy][index] = plane(index, row);
            }
        }
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(oy));
        for (int ox = 0; ox < width; ++ox) {
            int sumA = 0, sumY = 0, sumU = 0, sumV = 0;
            for (int sy = 0; sy < samplesY; ++sy) {
                const Sample* const* line = lines[sy];
                for (int sx = 0; sx < samplesX; ++sx) {
                    const int at = columns[std::size_t(ox * samplesX + sx)];
                    const int weight = layout.alpha ? int(line[3][at]) : opaque;
                    sumA += weight;
                    sumY += weight * line[0][at];
                    sumU += weight * line[1][at];
                    sumV += weight * line[2][at];
                }
            }
            if (sumA == 0) {
                out[ox] = 0;
                continue;
            }
            const int alpha = int((std::int64_t(sumA) * 255 + fullWeight / 2) / fullWeight);
            const float scale = toEight / float(sumA);
            const float luma = k.yScale * (float(sumY) * scale - k.yOffset);
            const float cb = float(sumU) * scale - 128;
            const float cr = float(sumV) * scale - 128;
            const float opacity = float(alpha) * (1.0f / 255.0f);
            out[ox] = qRgba(channel((luma + k.rv * cr) * opacity, alpha),
                            channel((luma - k.gu * cb - k.gv * cr) * opacity, alpha),
                            channel((luma + k.bu * cb) * opacity, alpha), alpha);
        }
    }
}

} // namespace

YuvMatrix YuvMatrix::of(const AVFrame& picture) {
    return {picture.colorspace == AVCOL_SPC_SMPTE170M || picture.colorspace == AVCOL_SPC_BT470BG ||
                picture.colorspace == AVCOL_SPC_FCC,
            picture.color_range == AVCOL_RANGE_JPEG || picture.format == AV_PIX_FMT_YUVJ420P ||
                picture.format == AV_PIX_FMT_YUVJ422P || picture.format == AV_PIX_FMT_YUVJ444P};
}

bool Yuv444Shrinker::handles(const AVFrame& picture, QSize target) {
    return layoutOf(picture.format).has_value() && target.width() <= picture.width &&
           target.height() <= picture.height;
}

void Yuv444Shrinker::Samples::update(int newSource, int newTarget) {
    if (newSource == source && newTarget == target) {
        return;
    }
    source = newSource;
    target = newTarget;
    // Up to 3 samples for each output pixel, fewer when it covers fewer,
    // spread evenly over the source pixels it covers.
    perPixel = std::clamp((source + target - 1) / target, 1, 3);
    positions.clear();
    positions.reserve(std::size_t(target) * std::size_t(perPixel));
    const double step = double(source) / target;
    for (int o = 0; o < target; ++o) {
        for (int s = 0; s < perPixel; ++s) {
            positions.push_back(std::min(int((o + (s + 0.5) / perPixel) * step), source - 1));
        }
    }
}

QImage Yuv444Shrinker::scale(const AVFrame& picture, QSize target, YuvMatrix matrix) {
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    const std::optional<Layout> layout = layoutOf(picture.format);
    if (target.isEmpty() || !layout) {
        return image;
    }
    matrix.fullRange = matrix.fullRange || layout->fullRange;
    columns_.update(picture.width, target.width());
    rows_.update(picture.height, target.height());
    const Coefficients k = coefficients(matrix);
    if (layout->depth == 8) {
        shrink<std::uint8_t>(picture, *layout, columns_.positions, columns_.perPixel,
                             rows_.positions, rows_.perPixel, k, image);
    } else {
        shrink<std::uint16_t>(picture, *layout, columns_.positions, columns_.perPixel,
                              rows_.positions, rows_.perPixel, k, image);
    }
    return image;
}

} // namespace cadrelle
