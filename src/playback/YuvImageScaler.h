#pragma once

#include "Yuv444Shrinker.h"
#include "video/FfmpegHandles.h"

#include <QImage>
#include <QSize>

namespace cadrelle {

// Converts decoded Y'CbCr pictures — the 4:2:0 pictures of MP4 recordings,
// the 4:4:4 pictures with alpha of ProRes 4444 — straight to premultiplied
// RGB at the size they are shown, with the picture's own matrix and range:
// 4:4:4 pictures shown smaller through Yuv444Shrinker, the rest in one pass
// of FFmpeg's scaler. Converting the full picture first and
// scaling it after costs many times more for a phone-sized movie in a small
// window. Transparent pixels stay transparent. Keeps the scaler between
// pictures of the same sizes.
class YuvImageScaler final {
public:
    QImage scale(const AVFrame& picture, QSize target);

private:
    ScaleContextPtr scaler_;
    Yuv444Shrinker shrinker_;
};

} // namespace cadrelle
