#include "CaptureProgress.h"

#include <algorithm>

namespace cadrelle {

std::string progressText(const CaptureProgress& progress) {
    if (progress.phase == CaptureProgress::Phase::preparing) {
        return "Preparing " + progress.capture.filename().string() + "\u2026";
    }
    const int percent = static_cast<int>(std::clamp(progress.fraction, 0.0, 1.0) * 100.0);
    return "Framing recording \u00B7 " + std::to_string(percent) + "%";
}

} // namespace cadrelle
