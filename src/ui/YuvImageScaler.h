#pragma once

#include "ScaledAyuvImage.h"
#include "video/FfmpegHandles.h"

#include <QImage>
#include <QSize>

namespace cadrelle {

// Where a 4:2:0 picture's chroma is: two planes of U and V (YUV420P), or one
// plane of interleaved U, V pairs (NV12).
enum class ChromaPlanes { separate, interleaved };

// Converts 8-bit 4:2:0 pictures, the layout of MP4 recordings, straight to
// opaque RGB at the size they are shown, in one pass of FFmpeg's scaler.
// Converting the full picture first and scaling it after costs many times
// more for a phone-sized movie in a small window. Keeps the scaler between
// pictures of the same sizes.
class YuvImageScaler final {
public:
    // `planes` and `bytesPerLine` hold the luma plane first, then the
    // chroma plane(s) of `chroma`; each chroma plane is half the luma's size,
    // rounded up.
    QImage scale(const uchar* const planes[], const int bytesPerLine[], ChromaPlanes chroma,
                 QSize source, QSize target, YuvMatrix matrix);

private:
    ScaleContextPtr scaler_;
};

} // namespace cadrelle
