#include "YuvImageScaler.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace cadrelle {

QImage YuvImageScaler::scale(const AVFrame& picture, QSize target) {
    const YuvMatrix matrix = YuvMatrix::of(picture);
    if (Yuv444Shrinker::handles(picture, target)) {
        return shrinker_.scale(picture, target, matrix);
    }
    const auto format = static_cast<AVPixelFormat>(picture.format);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    const bool alpha = descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    // Opaque pixels come out in Qt's premultiplied layout, which it draws
    // fastest; pictures with alpha come out straight and are premultiplied.
    QImage image(target, alpha ? QImage::Format_ARGB32 : QImage::Format_ARGB32_Premultiplied);
    if (target.isEmpty() || picture.width <= 0 || picture.height <= 0) {
        return image;
    }
    // Area averaging when shrinking keeps fine detail from flickering; the
    // accurate rounding keeps known colours exact.
    scaler_.reset(sws_getCachedContext(scaler_.release(), picture.width, picture.height, format,
                                       target.width(), target.height(), AV_PIX_FMT_BGRA,
                                       SWS_AREA | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                       nullptr, nullptr));
    if (!scaler_) {
        image.fill(Qt::black);
        return image;
    }
    const int* coefficients = sws_getCoefficients(matrix.bt601 ? SWS_CS_ITU601 : SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler_.get(), coefficients, matrix.fullRange ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    uint8_t* const out[] = {image.bits()};
    const int outBytesPerLine[] = {int(image.bytesPerLine())};
    sws_scale(scaler_.get(), picture.data, picture.linesize, 0, picture.height, out,
              outBytesPerLine);
    if (alpha) {
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    }
    return image;
}

} // namespace cadrelle
