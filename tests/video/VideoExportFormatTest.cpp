#include "video/VideoExportFormat.h"

#include <gtest/gtest.h>

namespace cadrelle {

TEST(VideoExportFormat, NamesTitlesAndExtensions) {
    EXPECT_EQ(videoExportFormatFromRaw("mp4"), VideoExportFormat::mp4);
    EXPECT_EQ(videoExportFormatFromRaw("hevc-alpha"), VideoExportFormat::hevcAlpha);
    EXPECT_EQ(videoExportFormatFromRaw("prores-4444"), VideoExportFormat::proRes4444);
    for (const char* wrong : {"MP4", "hevc_alpha", "hevcalpha", "prores4444", "", "mov"}) {
        EXPECT_FALSE(videoExportFormatFromRaw(wrong)) << wrong;
    }
    EXPECT_EQ(title(VideoExportFormat::mp4), "MP4 \u00B7 Black background");
    EXPECT_EQ(title(VideoExportFormat::hevcAlpha), "MOV \u00B7 Transparent (HEVC)");
    EXPECT_EQ(title(VideoExportFormat::proRes4444), "MOV \u00B7 Transparent (ProRes 4444)");
    EXPECT_EQ(extension(VideoExportFormat::mp4), "mp4");
    EXPECT_EQ(extension(VideoExportFormat::hevcAlpha), "mov");
    EXPECT_EQ(extension(VideoExportFormat::proRes4444), "mov");
}

TEST(VideoExportFormat, FingerprintKeepsMp4AndSeparatesTheMovFormats) {
    EXPECT_EQ(fingerprint(VideoExportFormat::mp4, "abc"), "abc");
    const auto hevc = fingerprint(VideoExportFormat::hevcAlpha, "abc");
    const auto prores = fingerprint(VideoExportFormat::proRes4444, "abc");
    EXPECT_EQ(hevc.size(), 64u);
    EXPECT_EQ(prores.size(), 64u);
    EXPECT_NE(hevc, prores);
    EXPECT_EQ(prores, fingerprint(VideoExportFormat::proRes4444, "abc"));
    EXPECT_EQ(hevc.find_first_not_of("0123456789abcdef"), std::string::npos);
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
