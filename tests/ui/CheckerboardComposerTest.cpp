#include "ui/CheckerboardComposer.h"

#include "ui/ScaledAyuvImage.h"

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

TEST(ScaledAyuvImage, ConvertsAndShrinksTransparentPictures) {
    // 4 × 2 pixels, A Y U V each: transparent, BT.709 limited-range white,
    // red, and half-transparent white; the second row repeats the first.
    const uchar row[] = {0, 0, 0, 0, 255, 235, 128, 128, 255, 63, 102, 240, 128, 235, 128, 128};
    uchar bits[2 * 16];
    std::copy(row, row + 16, bits);
    std::copy(row, row + 16, bits + 16);

    const QImage full = scaledAyuvImage(bits, 16, {4, 2}, {4, 2}, {});
    EXPECT_EQ(full.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(full.pixel(0, 1), 0u) << "transparent";
    EXPECT_EQ(full.pixelColor(1, 0), QColor(255, 255, 255));
    const QColor red = full.pixelColor(2, 0);
    EXPECT_GE(red.red(), 250);
    EXPECT_LE(red.green(), 5);
    EXPECT_LE(red.blue(), 5);
    EXPECT_EQ(qAlpha(full.pixel(3, 0)), 128);
    EXPECT_EQ(qRed(full.pixel(3, 0)), 128) << "premultiplied";

    // Halved: each pixel averages two, weighted by alpha, so a transparent
    // neighbour does not darken the white one.
    const QImage half = scaledAyuvImage(bits, 16, {4, 2}, {2, 1}, {});
    EXPECT_EQ(qAlpha(half.pixel(0, 0)), 128);
    EXPECT_EQ(qRed(half.pixel(0, 0)), 128);
    EXPECT_EQ(qGreen(half.pixel(0, 0)), 128);
}

} // namespace
} // namespace cadrelle
