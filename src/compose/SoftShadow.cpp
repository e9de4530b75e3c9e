#include "SoftShadow.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace cadrelle {

namespace {

// The blur's radius on the smaller copy, in its pixels.
constexpr int kWorkingRadius = 6;

// One pass of a box blur of `radius` over a row or column of `count` values
// `stride` apart.
void boxBlur(std::uint8_t* values, int count, int stride, int radius, std::vector<int>& buffer) {
    buffer.assign(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        buffer[static_cast<std::size_t>(i)] = values[static_cast<std::ptrdiff_t>(i) * stride];
    }
    const int window = 2 * radius + 1;
    int sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        sum += (i >= 0 && i < count) ? buffer[static_cast<std::size_t>(i)] : 0;
    }
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::ptrdiff_t>(i) * stride] =
            static_cast<std::uint8_t>((sum + window / 2) / window);
        const int leaving = i - radius;
        const int entering = i + radius + 1;
        sum -= leaving >= 0 ? buffer[static_cast<std::size_t>(leaving)] : 0;
        sum += entering < count ? buffer[static_cast<std::size_t>(entering)] : 0;
    }
}

} // namespace

SoftShadow softShadow(const QImage& image, double radius, const QColor& color) {
    if (radius < 0.5) {
        QImage flat = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&flat);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(flat.rect(), color);
        return {flat, {}};
    }
    // Three box blurs come close to a Gaussian of the same radius.
    const double shrink = std::max(1.0, radius / kWorkingRadius);
    const int margin = static_cast<int>(std::ceil(radius * 1.5));
    const int smallMargin = static_cast<int>(std::ceil(margin / shrink));
    const QSize inner(std::max(1, static_cast<int>(std::lround(image.width() / shrink))),
                      std::max(1, static_cast<int>(std::lround(image.height() / shrink))));
    QImage alpha(inner.width() + 2 * smallMargin, inner.height() + 2 * smallMargin,
                 QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter painter(&alpha);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(smallMargin, smallMargin), inner), image);
    }
    const int passRadius = std::max(1, static_cast<int>(std::lround(radius / shrink / 1.7)));
    std::vector<int> buffer;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < alpha.height(); ++y) {
            boxBlur(alpha.scanLine(y), alpha.width(), 1, passRadius, buffer);
        }
        for (int x = 0; x < alpha.width(); ++x) {
            boxBlur(alpha.bits() + x, alpha.height(), static_cast<int>(alpha.bytesPerLine()),
                    passRadius, buffer);
        }
    }
    const QSize full(static_cast<int>(std::lround(alpha.width() * shrink)),
                     static_cast<int>(std::lround(alpha.height() * shrink)));
    QImage shadow(full, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter painter(&shadow);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(shadow.rect(), alpha);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(shadow.rect(), color);
    }
    const int offset = static_cast<int>(std::lround(smallMargin * shrink));
    return {shadow, QPoint(-offset, -offset)};
}

} // namespace cadrelle
