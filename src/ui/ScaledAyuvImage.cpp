#include "ScaledAyuvImage.h"

#include <algorithm>
#include <vector>

namespace cadrelle {
namespace {

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

int channel(float value, int alpha) {
    return std::clamp(static_cast<int>(value * alpha / 255.0f + 0.5f), 0, alpha);
}

// Up to 3 × 3 samples for each output pixel, fewer when it covers fewer.
int samplesPerPixel(int source, int target) {
    return std::clamp((source + target - 1) / target, 1, 3);
}

// For each output pixel along one side, the source positions of its
// samples, spread evenly over the pixels it covers.
std::vector<int> samplePositions(int source, int target, int samples) {
    std::vector<int> positions;
    positions.reserve(std::size_t(target) * samples);
    const double step = double(source) / target;
    for (int o = 0; o < target; ++o) {
        for (int s = 0; s < samples; ++s) {
            positions.push_back(std::min(int((o + (s + 0.5) / samples) * step), source - 1));
        }
    }
    return positions;
}

} // namespace

QImage scaledAyuvImage(const uchar* bits, int bytesPerLine, QSize source, QSize target,
                       YuvMatrix matrix) {
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    if (target.isEmpty() || source.isEmpty()) {
        return image;
    }
    const Coefficients k = coefficients(matrix);
    const int samplesX = samplesPerPixel(source.width(), target.width());
    const int samplesY = samplesPerPixel(source.height(), target.height());
    const std::vector<int> columns = samplePositions(source.width(), target.width(), samplesX);
    const std::vector<int> rows = samplePositions(source.height(), target.height(), samplesY);
    const int count = samplesX * samplesY;
    for (int oy = 0; oy < target.height(); ++oy) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(oy));
        for (int ox = 0; ox < target.width(); ++ox) {
            int sumA = 0, sumY = 0, sumU = 0, sumV = 0;
            for (int sy = 0; sy < samplesY; ++sy) {
                const uchar* row = bits + qsizetype(rows[oy * samplesY + sy]) * bytesPerLine;
                for (int sx = 0; sx < samplesX; ++sx) {
                    const uchar* p = row + 4 * columns[ox * samplesX + sx];
                    sumA += p[0];
                    sumY += p[0] * p[1];
                    sumU += p[0] * p[2];
                    sumV += p[0] * p[3];
                }
            }
            if (sumA == 0) {
                out[ox] = 0;
                continue;
            }
            const int alpha = (sumA + count / 2) / count;
            const float luma = k.yScale * (float(sumY) / sumA - k.yOffset);
            const float u = float(sumU) / sumA - 128;
            const float v = float(sumV) / sumA - 128;
            out[ox] =
                qRgba(channel(luma + k.rv * v, alpha), channel(luma - k.gu * u - k.gv * v, alpha),
                      channel(luma + k.bu * u, alpha), alpha);
        }
    }
    return image;
}

} // namespace cadrelle
