#include "app/TrayIcon.h"
#include "TestApplication.h"

#include <QImage>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

TEST(TrayIcon, TheTrayArtworkIsDrawnAtEveryTraySize) {
    test::ensureApplication();
    const QIcon icon = TrayIcon::icon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {22, 22}, {24, 24}, {32, 32}}));
    for (const int size : {16, 22, 24, 32}) {
        const QImage image =
            icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(size, size));
        // The light strokes of the drawing, on a clear background.
        int light = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                light += pixel.alpha() > 200 && pixel.lightness() > 200 ? 1 : 0;
            }
        }
        EXPECT_GT(light, size * 2) << size;
        EXPECT_EQ(image.pixelColor(size / 2, size / 2).alpha(), 0) << "the phone is an outline";
    }
}

} // namespace
} // namespace cadrelle
