#include "ui/CheckerboardComposer.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

int grey(const QImage& image, int x, int y) {
    const QColor colour = image.pixelColor(x, y);
    EXPECT_EQ(colour.red(), colour.green());
    EXPECT_EQ(colour.red(), colour.blue());
    return colour.red();
}

TEST(CheckerboardComposer, TransparentPixelsShowTheSquaresOthersThemselves) {
    QImage frame(100, 70, QImage::Format_ARGB32);
    frame.fill(Qt::transparent);
    frame.setPixelColor(40, 5, QColor(200, 10, 20));
    frame.setPixelColor(70, 40, QColor(0, 0, 0, 128));

    CheckerboardComposer composer;
    const QImage composed = composer.compose(frame, 1.0);
    ASSERT_EQ(composed.size(), frame.size());
    EXPECT_FALSE(composed.hasAlphaChannel());
    // Grey at the top-left, 32-pixel squares alternating along rows and columns.
    EXPECT_EQ(grey(composed, 0, 0), 191);
    EXPECT_EQ(grey(composed, 31, 31), 191);
    EXPECT_EQ(grey(composed, 32, 0), 230);
    EXPECT_EQ(grey(composed, 0, 32), 230);
    EXPECT_EQ(grey(composed, 33, 33), 191);
    EXPECT_EQ(grey(composed, 99, 69), 230) << "the last, cropped square";
    EXPECT_EQ(composed.pixelColor(40, 5), QColor(200, 10, 20)) << "opaque pixels show themselves";
    EXPECT_NEAR(grey(composed, 70, 40), 230 / 2, 2) << "half-transparent black blends";

    // Drawn smaller, the squares shrink with the picture.
    const QImage half = composer.compose(frame.scaled(50, 35), 0.5);
    EXPECT_EQ(grey(half, 15, 15), 191);
    EXPECT_EQ(grey(half, 16, 15), 230);
    EXPECT_EQ(grey(half, 16, 16), 191);
}

} // namespace
} // namespace cadrelle
