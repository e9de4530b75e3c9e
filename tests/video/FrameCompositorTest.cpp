#include "video/FrameCompositor.h"

#include "support/VideoTestSupport.h"

#include <gtest/gtest.h>

namespace cadrelle {

namespace {

FramePtr flatPicture(AVPixelFormat format, int y, int cb, int cr) {
    FramePtr picture = makeFrame();
    picture->format = format;
    picture->width = 64;
    picture->height = 96;
    EXPECT_GE(av_frame_get_buffer(picture.get(), 0), 0);
    const int values[3] = {y, cb, cr};
    const bool wide = format == AV_PIX_FMT_YUV444P10LE;
    for (int p = 0; p < 3; ++p) {
        const int rows = p == 0 || wide ? 96 : 48;
        const int columns = p == 0 || wide ? 64 : 32;
        for (int row = 0; row < rows; ++row) {
            for (int x = 0; x < columns; ++x) {
                std::uint8_t* line = picture->data[p] + row * picture->linesize[p];
                if (wide) {
                    reinterpret_cast<std::uint16_t*>(line)[x] =
                        static_cast<std::uint16_t>(values[p]);
                } else {
                    line[x] = static_cast<std::uint8_t>(values[p]);
                }
            }
        }
    }
    return picture;
}

int sample(const AVFrame& frame, int plane, int x, int y) {
    const std::uint8_t* line = frame.data[plane] + y * frame.linesize[plane];
    if (frame.format == AV_PIX_FMT_YUVA444P10LE) {
        return reinterpret_cast<const std::uint16_t*>(line)[x];
    }
    return line[x];
}

} // namespace

TEST(FrameCompositor, WritesExactSamplesAndReusesReleasedFrames) {
    const LoadedFrame frame = test::makeTestFrame();

    FrameCompositor opaque(frame, 82, 114, {AV_PIX_FMT_YUV420P, false});
    EXPECT_EQ(opaque.recordingFormat(), AV_PIX_FMT_YUV420P);
    const FramePtr grey = flatPicture(AV_PIX_FMT_YUV420P, 200, 100, 150);
    for (int i = 0; i < 20; ++i) {
        AVFrame* out = opaque.compose(*grey);
        EXPECT_EQ(sample(*out, 0, 40, 60), 200); // copied as it is
        EXPECT_EQ(sample(*out, 1, 20, 30), 100);
        EXPECT_EQ(sample(*out, 2, 20, 30), 150);
        EXPECT_EQ(sample(*out, 0, 0, 0), 16); // black outside
        EXPECT_EQ(sample(*out, 1, 0, 0), 128);
        // Half the recording, half the grey bezel (luma 16 + 90 × 219 / 255).
        EXPECT_NEAR(sample(*out, 0, test::kOpeningX, 60),
                    200 * 127 / 255.0 + 16 * 128 / 255.0 + 77.3 * 128 / 255.0, 1.5);
    }
    EXPECT_EQ(opaque.outputFrameCount(), 1u); // nobody held on to the frame

    // A held reference makes the compositor use a second frame.
    FramePtr held = makeFrame();
    ASSERT_GE(av_frame_ref(held.get(), opaque.compose(*grey)), 0);
    opaque.compose(*grey);
    EXPECT_EQ(opaque.outputFrameCount(), 2u);

    FrameCompositor clear(frame, 82, 114, {AV_PIX_FMT_YUVA444P10LE, false});
    EXPECT_EQ(clear.recordingFormat(), AV_PIX_FMT_YUV444P10LE);
    const FramePtr deep = flatPicture(AV_PIX_FMT_YUV444P10LE, 800, 400, 600);
    const AVFrame* out = clear.compose(*deep);
    EXPECT_EQ(sample(*out, 3, 0, 0), 0);      // transparent outside the device
    EXPECT_EQ(sample(*out, 3, 81, 113), 0);   // and in the padding
    EXPECT_EQ(sample(*out, 3, 40, 60), 1023); // opaque in the opening
    EXPECT_EQ(sample(*out, 3, 40, 13), 1023); // and on the island
    EXPECT_EQ(sample(*out, 3, test::kOpeningX, 60), 1023);
    EXPECT_EQ(sample(*out, 0, 40, 60), 800);
    EXPECT_EQ(sample(*out, 2, 40, 60), 600);
}

} // namespace cadrelle
