#include "support/TempDir.h"
#include "support/VideoTestSupport.h"

#include <gtest/gtest.h>

namespace cadrelle {

// Wherever the opening starts, every pixel of the framed video shows the
// colour an RGB composite of frame and recording gives there, within the
// codec's loss: 4:2:0 colour (of mp4 and of the transparent HEVC's colour
// layer) that straddles the opening's first column or row must not carry the
// recording's colour edges a pixel off. (Kept with the HEVC tests, whose leak
// suppressions the HEVC encoder needs in the sanitizer run.)
TEST(RenderVideo, PlacesRecordingColourExactlyWhereverTheOpeningStarts) {
    test::TempDir dir;
    for (const auto& [format, tolerance] : {std::pair{VideoExportFormat::mp4, 8},
                                            {VideoExportFormat::hevcAlpha, 8},
                                            {VideoExportFormat::proRes4444, 4}}) {
        for (const auto& [x, y, difference] : test::frameAtEvenAndOddOpenings(dir.path(), format)) {
            EXPECT_LE(difference.worst, tolerance)
                << rawValue(format) << " with the opening at (" << x << ", " << y << "): worst at ("
                << difference.x << ", " << difference.y << ")";
        }
    }
}

} // namespace cadrelle
