#include "SampleRecording.h"
#include "ArtworkApplication.h"

#include "capture/CaptureDimensions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace cadrelle;

// The demo frames the sample recording, so it must pass the program's own
// recording checks.
TEST(SampleArtwork, TheSampleRecordingIsAValidRecording) {
    const test::ArtworkApplication application;
    test::TempDir dir;
    const auto path = dir / "Simulator Screen Recording - Sample.mp4";
    artwork::writeSampleRecording(QSize(120, 208), 0.5, path);
    CaptureExportControl control;
    const CaptureSize size = captureDimensions(path, control);
    EXPECT_EQ(size.width, 120);
    EXPECT_EQ(size.height, 208);
}
