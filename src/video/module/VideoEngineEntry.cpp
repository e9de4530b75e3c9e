#include "video/RenderVideo.h"
#include "video/VideoEngine.h"
#include "video/VideoSource.h"

namespace {

cadrelle::RecordingSize measureRecording(const std::filesystem::path& recording,
                                         const cadrelle::CaptureExportControl& control) {
    const cadrelle::VideoSource source(recording, control);
    return {source.width(), source.height()};
}

const cadrelle::VideoEngine kEngine{&measureRecording, &cadrelle::renderVideo};

} // namespace

extern "C" __attribute__((visibility("default"))) const cadrelle::VideoEngine*
cadrelle_video_engine() {
    return &kEngine;
}
