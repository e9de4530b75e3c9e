#include "support/TempDir.h"
#include "support/VideoTestSupport.h"

#include <gtest/gtest.h>

namespace cadrelle {

// The colour layer is 4:2:0 too: wherever the opening starts, every pixel
// shows the colour an RGB composite of frame and recording gives there.
TEST(RenderHevcAlpha, PlacesRecordingColourExactlyWhereverTheOpeningStarts) {
    test::TempDir dir;
    for (const auto& [x, y, difference] :
         test::frameAtEvenAndOddOpenings(dir.path(), VideoExportFormat::hevcAlpha)) {
        EXPECT_LE(difference.worst, 8) << "opening at (" << x << ", " << y << "): worst at ("
                                       << difference.x << ", " << difference.y << ")";
    }
}

} // namespace cadrelle
