#pragma once

#include "video/FfmpegHandles.h"

#include <QImage>
#include <QSize>

namespace cadrelle {

// Converts decoded Y'CbCr pictures — the 4:2:0 pictures of MP4 recordings,
// the 4:4:4 pictures with alpha of ProRes 4444 — straight to premultiplied
// RGB at the size they are shown, in one pass of FFmpeg's scaler, with the
// picture's own matrix and range. Converting the full picture first and
// scaling it after costs many times more for a phone-sized movie in a small
// window. Transparent pixels stay transparent. Keeps the scaler between
// pictures of the same sizes.
class YuvImageScaler final {
public:
    QImage scale(const AVFrame& picture, QSize target);

private:
    ScaleContextPtr scaler_;
};

} // namespace cadrelle
