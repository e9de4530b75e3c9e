#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace cadrelle {

// What a framing job is doing, as data: each caller turns it into its own
// text (a status line, a terminal line).
struct CaptureProgress {
    enum class Phase {
        preparing,        // measuring, choosing the frame, fingerprinting
        framingRecording, // encoding a recording; `fraction` tells how far
    };
    std::filesystem::path capture;
    Phase phase = Phase::preparing;
    double fraction = 0; // 0…1 of the recording's duration
};

using CaptureProgressHandler = std::function<void(const CaptureProgress&)>;

// The status line for a job: "Preparing <file name>…" or "Framing recording ·
// <whole percent>%" (the percent cut toward zero).
std::string progressText(const CaptureProgress& progress);

} // namespace cadrelle
