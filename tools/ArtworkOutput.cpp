#include "ArtworkOutput.h"

#include "core/FileIO.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <cstring>
#include <stdexcept>

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
    // Qt's PNG writer at its default settings: the bytes depend only on the
    // pixels (for one Qt and zlib), so the shipped frames keep their ids
    // whatever the program's own PNG output is tuned for.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    QImage straight = image.convertToFormat(QImage::Format_RGBA8888);
    // The resolution chunk would otherwise follow the screen of whatever
    // platform the generator runs on.
    straight.setDotsPerMeterX(2835);
    straight.setDotsPerMeterY(2835);
    if (!writer.write(straight)) {
        throw std::runtime_error("Unable to encode a PNG: " + writer.errorString().toStdString());
    }
    return {bytes.begin(), bytes.end()};
}

void writePng(const QImage& image, const std::filesystem::path& path) {
    writeAtomically(pngBytes(image), path);
}

} // namespace cadrelle::artwork
