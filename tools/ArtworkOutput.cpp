#include "ArtworkOutput.h"

#include "core/FileIO.h"
#include "frames/PngEncoder.h"

#include <cstring>

namespace cadrelle::artwork {

Raster toRaster(const QImage& image) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    Raster raster;
    raster.width = rgba.width();
    raster.height = rgba.height();
    const auto rowBytes = static_cast<std::size_t>(rgba.width()) * 4;
    raster.pixels.resize(rowBytes * static_cast<std::size_t>(rgba.height()));
    for (int y = 0; y < rgba.height(); ++y) {
        std::memcpy(raster.pixels.data() + rowBytes * static_cast<std::size_t>(y),
                    rgba.constScanLine(y), rowBytes);
    }
    return raster;
}

std::vector<std::uint8_t> pngBytes(const QImage& image) {
    return encodePng(toRaster(image));
}

void writePng(const QImage& image, const std::filesystem::path& path) {
    writeAtomically(pngBytes(image), path);
}

} // namespace cadrelle::artwork
