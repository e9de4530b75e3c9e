#include "RgbPngWriter.h"

#include "core/AppError.h"
#include "frames/PngEncoder.h"

namespace cadrelle {

std::vector<std::uint8_t> encodeRgbPng(const QImage& source, std::size_t threads) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        throw AppError("Unable to create PNG data.");
    }
    return encodeRgbPng(
        image.width(), image.height(),
        [&image](std::int64_t y, std::uint8_t* out) {
            const auto* pixels =
                reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)));
            for (int x = 0; x < image.width(); ++x) {
                *out++ = static_cast<std::uint8_t>(qRed(pixels[x]));
                *out++ = static_cast<std::uint8_t>(qGreen(pixels[x]));
                *out++ = static_cast<std::uint8_t>(qBlue(pixels[x]));
            }
        },
        threads);
}

} // namespace cadrelle
