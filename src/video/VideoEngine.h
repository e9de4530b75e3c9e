#pragma once

#include "core/CaptureExportControl.h"
#include "frames/LoadedFrame.h"
#include "video/VideoExportFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>

namespace cadrelle {

struct RecordingSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// What the rest of the program asks of the FFmpeg-based video code. The
// command line and the application reach it through this table only, so the
// program starts without loading FFmpeg and its codec libraries; they are
// loaded the first time a recording is measured or framed.
struct VideoEngine {
    // The display size of the MP4 recording at the path (VideoSource).
    RecordingSize (*measureRecording)(const std::filesystem::path& recording,
                                      const CaptureExportControl& control);
    // renderVideo.
    void (*renderVideo)(const std::filesystem::path& input, const std::filesystem::path& output,
                        const LoadedFrame& frame, const CaptureExportControl& control,
                        VideoExportFormat format, const std::function<void(double)>& progress);
};

} // namespace cadrelle

// The engine, exported under this C name by the video module
// (libcadrelle-video.so) and linked directly into programs that build it in
// (the tests).
extern "C" const cadrelle::VideoEngine* cadrelle_video_engine();
