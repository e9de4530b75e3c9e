#pragma once

#include <QImage>
#include <QSize>

namespace cadrelle {

// How the luma and chroma of a picture map to RGB.
struct YuvMatrix {
    bool bt601 = false; // else BT.709
    bool fullRange = false;
};

// A packed 8-bit A, Y, U, V picture of `source` pixels (rows `bytesPerLine`
// apart) converted to premultiplied RGB at `target` size in one pass: each
// output pixel averages up to 3 × 3 samples of its area, weighted by their
// alpha. Converting only the pixels that are shown is what lets a large
// transparent movie play at its rate in a small window.
QImage scaledAyuvImage(const uchar* bits, int bytesPerLine, QSize source, QSize target,
                       YuvMatrix matrix);

} // namespace cadrelle
