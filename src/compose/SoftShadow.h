#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

namespace cadrelle {

// A blurred silhouette of an image's opaque parts in one colour, and where
// its top-left corner goes relative to the image's.
struct SoftShadow {
    QImage image; // premultiplied ARGB
    QPoint offset;
};

// The shadow of `image` blurred by about `radius` pixels. The blur runs on
// a smaller copy and is scaled back up, so its cost does not grow with the
// radius or the image.
SoftShadow softShadow(const QImage& image, double radius, const QColor& color);

} // namespace cadrelle
