#include "YuvImageScaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace cadrelle {

QImage YuvImageScaler::scale(const uchar* const planes[], const int bytesPerLine[],
                             ChromaPlanes chroma, QSize source, QSize target, YuvMatrix matrix) {
    // Opaque pixels: the same bytes in Qt's premultiplied layout, which it
    // draws fastest.
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    if (target.isEmpty() || source.isEmpty()) {
        return image;
    }
    const AVPixelFormat format =
        chroma == ChromaPlanes::separate ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_NV12;
    // Area averaging when shrinking keeps fine detail from flickering; the
    // accurate rounding keeps known colours exact.
    scaler_.reset(sws_getCachedContext(scaler_.release(), source.width(), source.height(), format,
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
    sws_scale(scaler_.get(), planes, bytesPerLine, 0, source.height(), out, outBytesPerLine);
    return image;
}

} // namespace cadrelle
