#include "playback/Yuv444Shrinker.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <functional>

namespace cadrelle {
namespace {

// A Y'CbCr sample with alpha, at the picture's depth.
struct Ayuv {
    int y, u, v, a;
};

// A 4:4:4 picture of `format` (16 bits a sample above 8) whose pixels
// `colour` gives; alpha is left out where the format has none.
FramePtr makePicture(AVPixelFormat format, int width, int height,
                     const std::function<Ayuv(int, int)>& colour) {
    FramePtr frame = makeFrame();
    frame->format = format;
    frame->width = width;
    frame->height = height;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    const bool wide = descriptor->comp[0].depth > 8;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Ayuv c = colour(x, y);
            const int values[4] = {c.y, c.u, c.v, c.a};
            for (int p = 0; p < descriptor->nb_components; ++p) {
                uint8_t* row = frame->data[p] + y * frame->linesize[p];
                if (wide) {
                    reinterpret_cast<uint16_t*>(row)[x] = uint16_t(values[p]);
                } else {
                    row[x] = uint8_t(values[p]);
                }
            }
        }
    }
    return frame;
}

void expectPixel(const QImage& image, int x, int y, QRgb expected) {
    const QRgb actual = image.pixel(x, y);
    EXPECT_NEAR(qRed(actual), qRed(expected), 1) << "at " << x << "," << y;
    EXPECT_NEAR(qGreen(actual), qGreen(expected), 1) << "at " << x << "," << y;
    EXPECT_NEAR(qBlue(actual), qBlue(expected), 1) << "at " << x << "," << y;
    EXPECT_EQ(qAlpha(actual), qAlpha(expected)) << "at " << x << "," << y;
}

// 10-bit BT.709 video range: red, blue, white and 50 % grey, as ProRes
// 4444 decodes them.
constexpr Ayuv kRed{250, 409, 960, 1023};
constexpr Ayuv kBlue{127, 960, 471, 1023};
constexpr Ayuv kWhite{940, 512, 512, 1023};
constexpr Ayuv kClear{64, 512, 512, 0};

TEST(Yuv444Shrinker, ConvertsTenBitColoursKeepsAlphaAndShrinksOddSizes) {
    // 9 × 7: red on the left third, blue in the middle, transparent on the
    // right, a half-transparent white bottom row; shown at its own size.
    const auto colour = [](int x, int y) {
        if (y == 6) {
            return Ayuv{kWhite.y, kWhite.u, kWhite.v, 512};
        }
        return x < 3 ? kRed : x < 6 ? kBlue : kClear;
    };
    const FramePtr picture = makePicture(AV_PIX_FMT_YUVA444P10LE, 9, 7, colour);
    ASSERT_TRUE(Yuv444Shrinker::handles(*picture, {9, 7}));
    EXPECT_FALSE(Yuv444Shrinker::handles(*picture, {18, 7})) << "it only shrinks";
    Yuv444Shrinker shrinker;
    const QImage same = shrinker.scale(*picture, {9, 7}, {});
    ASSERT_EQ(same.format(), QImage::Format_ARGB32_Premultiplied);
    expectPixel(same, 0, 0, qRgba(255, 0, 0, 255));
    expectPixel(same, 4, 5, qRgba(0, 0, 255, 255));
    EXPECT_EQ(same.pixel(8, 0), 0u) << "transparent stays exactly transparent";
    expectPixel(same, 2, 6, qRgba(128, 128, 128, 128)); // premultiplied white

    // Shrunk to 3 × 2: each third keeps its colour; the transparent third
    // stays transparent even next to the half-transparent row.
    const QImage small = shrinker.scale(*picture, {3, 2}, {});
    ASSERT_EQ(small.size(), QSize(3, 2));
    expectPixel(small, 0, 0, qRgba(255, 0, 0, 255));
    expectPixel(small, 1, 0, qRgba(0, 0, 255, 255));
    EXPECT_EQ(qAlpha(small.pixel(2, 0)), 0);
}

TEST(Yuv444Shrinker, HonoursDepthMatrixAndRange) {
    // 12-bit grey in full range, without alpha, is exactly that grey.
    const FramePtr grey12 = makePicture(AV_PIX_FMT_YUV444P12LE, 5, 3, [](int, int) {
        return Ayuv{2048, 2048, 2048, 4095};
    });
    Yuv444Shrinker shrinker;
    expectPixel(shrinker.scale(*grey12, {5, 3}, {false, true}), 4, 2, qRgba(128, 128, 128, 255));
    // The same samples in video range are lighter.
    expectPixel(shrinker.scale(*grey12, {5, 3}, {}), 4, 2, qRgba(130, 130, 130, 255));

    // 8-bit BT.601 red read as BT.601 is red; BT.709 moves it.
    const FramePtr red601 = makePicture(AV_PIX_FMT_YUVA444P, 4, 4, [](int, int) {
        return Ayuv{81, 90, 240, 255};
    });
    expectPixel(shrinker.scale(*red601, {2, 2}, {true, false}), 1, 1, qRgba(255, 0, 0, 255));
    EXPECT_GT(qGreen(shrinker.scale(*red601, {2, 2}, {}).pixel(1, 1)), 15);
}

} // namespace
} // namespace cadrelle
