#include "playback/YuvImageScaler.h"

#include <gtest/gtest.h>

#include <vector>

namespace cadrelle {
namespace {

struct Yuv {
    int y, u, v;
};

// Where a 4:2:0 picture's chroma is: two planes of U and V (YUV420P), or one
// plane of interleaved U, V pairs (NV12).
enum class ChromaPlanes { separate, interleaved };

struct Matrix {
    bool bt601 = false; // else BT.709
    bool fullRange = false;
};

// A 4:2:0 picture of `width` × `height` whose left `split` columns have the
// colour `left` and the others `right`, in either chroma layout, rows padded
// to show that strides are honoured.
struct Picture {
    Picture(int width, int height, int split, Yuv left, Yuv right, ChromaPlanes layout)
        : size(width, height), chroma(layout) {
        const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
        stride[0] = width + 5;
        stride[1] = chroma == ChromaPlanes::separate ? chromaWidth + 3 : 2 * chromaWidth + 3;
        stride[2] = chromaWidth + 3;
        for (int p = 0; p < 3; ++p) {
            data[p].assign(std::size_t(stride[p]) * (p == 0 ? height : chromaHeight), 0);
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                data[0][y * stride[0] + x] = uchar(x < split ? left.y : right.y);
            }
        }
        for (int y = 0; y < chromaHeight; ++y) {
            for (int x = 0; x < chromaWidth; ++x) {
                const Yuv& c = 2 * x < split ? left : right;
                if (chroma == ChromaPlanes::separate) {
                    data[1][y * stride[1] + x] = uchar(c.u);
                    data[2][y * stride[2] + x] = uchar(c.v);
                } else {
                    data[1][y * stride[1] + 2 * x] = uchar(c.u);
                    data[1][y * stride[1] + 2 * x + 1] = uchar(c.v);
                }
            }
        }
    }

    QImage scaled(QSize target, Matrix matrix = {}) {
        const FramePtr frame = makeFrame();
        frame->format = chroma == ChromaPlanes::separate ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_NV12;
        frame->width = size.width();
        frame->height = size.height();
        frame->colorspace = matrix.bt601 ? AVCOL_SPC_SMPTE170M : AVCOL_SPC_BT709;
        frame->color_range = matrix.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
        for (int p = 0; p < 3; ++p) {
            frame->data[p] = data[p].data();
            frame->linesize[p] = stride[p];
        }
        return scaler.scale(*frame, target);
    }

    QSize size;
    ChromaPlanes chroma;
    int stride[3] = {};
    std::vector<uchar> data[3];
    YuvImageScaler scaler;
};

void expectColour(const QImage& image, int x, int y, QColor expected) {
    const QColor actual = image.pixelColor(x, y);
    EXPECT_NEAR(actual.red(), expected.red(), 2) << "at " << x << "," << y;
    EXPECT_NEAR(actual.green(), expected.green(), 2) << "at " << x << "," << y;
    EXPECT_NEAR(actual.blue(), expected.blue(), 2) << "at " << x << "," << y;
    EXPECT_EQ(actual.alpha(), 255);
}

// Red and blue in BT.709's video range, side by side.
constexpr Yuv kRed709{63, 102, 240};
constexpr Yuv kBlue709{32, 240, 118};

TEST(YuvImageScaler, ConvertsKnownColoursInBothLayoutsAtOddSizes) {
    for (const ChromaPlanes chroma : {ChromaPlanes::separate, ChromaPlanes::interleaved}) {
        SCOPED_TRACE(chroma == ChromaPlanes::separate ? "YUV420P" : "NV12");
        // Odd sizes: the last chroma column and row cover one luma column
        // and row only. Each chroma sample sits on the even luma column it
        // starts at; the odd column between red and blue is a blend.
        Picture picture(7, 5, 4, kRed709, kBlue709, chroma);
        const QImage same = picture.scaled({7, 5});
        ASSERT_EQ(same.size(), QSize(7, 5));
        for (int y : {0, 4}) {
            expectColour(same, 0, y, Qt::red);
            expectColour(same, 2, y, Qt::red);
            expectColour(same, 4, y, Qt::blue);
            expectColour(same, 6, y, Qt::blue);
        }

        // Shrunk to a quarter: each half keeps its colour.
        Picture large(64, 40, 32, kRed709, kBlue709, chroma);
        const QImage small = large.scaled({16, 10});
        expectColour(small, 0, 0, Qt::red);
        expectColour(small, 6, 9, Qt::red);
        expectColour(small, 9, 0, Qt::blue);
        expectColour(small, 15, 9, Qt::blue);
    }
}

TEST(YuvImageScaler, HonoursTheMatrixAndTheRange) {
    Picture white(4, 4, 4, {235, 128, 128}, {235, 128, 128}, ChromaPlanes::separate);
    expectColour(white.scaled({4, 4}), 1, 1, Qt::white);
    Picture grey(4, 4, 4, {128, 128, 128}, {128, 128, 128}, ChromaPlanes::separate);
    expectColour(grey.scaled({4, 4}, {false, true}), 1, 1, QColor(128, 128, 128));
    expectColour(grey.scaled({4, 4}), 1, 1, QColor(130, 130, 130));

    // BT.601 red, read as BT.601, is red; BT.709's red read as BT.601 is not.
    Picture red601(4, 4, 4, {81, 90, 240}, {81, 90, 240}, ChromaPlanes::separate);
    expectColour(red601.scaled({4, 4}, {true, false}), 1, 1, Qt::red);
    Picture red709(4, 4, 4, kRed709, kRed709, ChromaPlanes::separate);
    EXPECT_LT(red709.scaled({4, 4}, {true, false}).pixelColor(1, 1).red(), 240);
}

// A 4:4:4 picture with alpha, as ProRes 4444 decodes: transparent pixels
// stay transparent when shrunk, opaque ones keep their colour.
TEST(YuvImageScaler, KeepsTransparency) {
    const FramePtr frame = makeFrame();
    frame->format = AV_PIX_FMT_YUVA444P;
    frame->width = 8;
    frame->height = 8;
    ASSERT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool opaque = x >= 4;
            const int at = y * frame->linesize[0] + x;
            frame->data[0][at] = uchar(opaque ? kRed709.y : 16);
            frame->data[1][at] = uchar(opaque ? kRed709.u : 128);
            frame->data[2][at] = uchar(opaque ? kRed709.v : 128);
            frame->data[3][at] = uchar(opaque ? 255 : 0);
        }
    }
    YuvImageScaler scaler;
    const QImage half = scaler.scale(*frame, {4, 4});
    EXPECT_EQ(half.pixelColor(0, 0).alpha(), 0);
    expectColour(half, 3, 3, Qt::red);
}

} // namespace
} // namespace cadrelle
