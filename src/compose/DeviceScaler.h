#pragma once

#include <QImage>
#include <QSize>

namespace cadrelle {

// Scales a premultiplied 32-bit image (8 bits per channel) to `size` with the
// Mitchell–Netravali cubic (B = C = 1/3), widened by the reduction so every
// source pixel counts: smooth, without the ringing of sharper filters, and
// grain in the capture is averaged rather than kept, which also makes the
// store image smaller. The result is Format_RGBA8888_Premultiplied.
QImage scaleDevice(const QImage& image, QSize size);

} // namespace cadrelle
