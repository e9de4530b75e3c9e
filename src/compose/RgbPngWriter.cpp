#include "RgbPngWriter.h"

#include "core/AppError.h"
#include "frames/SpngContext.h"

#include <cstdlib>
#include <memory>

namespace cadrelle {

namespace {

const char* const kCannotCreate = "Unable to create PNG data.";

void check(int status) {
    if (status != 0) {
        throw AppError(kCannotCreate);
    }
}

} // namespace

std::vector<std::uint8_t> encodeRgbPng(const QImage& source) {
    const QImage image = source.format() == QImage::Format_RGB888
                             ? source
                             : source.convertToFormat(QImage::Format_RGB888);
    if (image.isNull()) {
        throw AppError(kCannotCreate);
    }
    const SpngContext context = makeSpngContext(SPNG_CTX_ENCODER, kCannotCreate);
    spng_ctx* ctx = context.get();
    check(spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1));
    spng_ihdr header{};
    header.width = static_cast<std::uint32_t>(image.width());
    header.height = static_cast<std::uint32_t>(image.height());
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    check(spng_set_ihdr(ctx, &header));
    check(spng_set_srgb(ctx, 0 /* perceptual */));
    check(spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG,
                            SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE));
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 3;
    for (int y = 0; y < image.height(); ++y) {
        const int status = spng_encode_row(ctx, image.constScanLine(y), rowBytes);
        if (status != 0 && status != SPNG_EOI) {
            throw AppError(kCannotCreate);
        }
    }
    std::size_t length = 0;
    int error = 0;
    const std::unique_ptr<std::uint8_t, decltype(&std::free)> png(
        static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &length, &error)), &std::free);
    if (png == nullptr || error != 0) {
        throw AppError(kCannotCreate);
    }
    return {png.get(), png.get() + length};
}

} // namespace cadrelle
