#include "video/VideoExportFormat.h"

#include <gtest/gtest.h>

namespace cadrelle {

TEST(VideoExportFormat, OnlyExactNamesAreFormats) {
    EXPECT_EQ(videoExportFormatFromRaw("mp4"), VideoExportFormat::mp4);
    EXPECT_EQ(videoExportFormatFromRaw("hevc-alpha"), VideoExportFormat::hevcAlpha);
    EXPECT_EQ(videoExportFormatFromRaw("prores-4444"), VideoExportFormat::proRes4444);
    for (const char* wrong : {"MP4", "hevc_alpha", "hevcalpha", "prores4444", "", "mov"}) {
        EXPECT_FALSE(videoExportFormatFromRaw(wrong)) << wrong;
    }
}

TEST(VideoExportFormat, BitRateRuleClampsRateAndResult) {
    EXPECT_EQ(averageBitRate(60, 1000, 1000), 7'200'000);
    EXPECT_EQ(averageBitRate(60, 200, 200), 4'000'000);
    EXPECT_EQ(averageBitRate(60, 4000, 4000), 40'000'000);
    EXPECT_EQ(clampedFrameRate(15), 30);
    EXPECT_EQ(clampedFrameRate(240), 120);
    EXPECT_EQ(clampedFrameRate(std::numeric_limits<double>::quiet_NaN()), 30);
    EXPECT_EQ(averageBitRate(15, 2000, 1000), 7'200'000);
    EXPECT_EQ(averageBitRate(240, 1000, 1000), 14'400'000);
}

} // namespace cadrelle
