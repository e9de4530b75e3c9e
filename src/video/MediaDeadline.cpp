#include "MediaDeadline.h"

#include "core/AppError.h"

namespace cadrelle {

MediaDeadline::MediaDeadline(const CaptureExportControl& control, std::chrono::milliseconds limit)
    : control_(&control), deadline_(std::chrono::steady_clock::now() + limit) {}

void MediaDeadline::watchOnly(const CaptureExportControl* control) {
    control_ = control;
    deadline_ = std::chrono::steady_clock::time_point::max();
}

AVIOInterruptCB MediaDeadline::callback() const {
    AVIOInterruptCB result{};
    result.callback = [](void* opaque) -> int {
        return static_cast<const MediaDeadline*>(opaque)->shouldStop() ? 1 : 0;
    };
    result.opaque = const_cast<MediaDeadline*>(this);
    return result;
}

bool MediaDeadline::shouldStop() const {
    return (control_ != nullptr && control_->isCancelled()) ||
           std::chrono::steady_clock::now() >= deadline_;
}

void MediaDeadline::throwIfStopped() const {
    if (control_ != nullptr) {
        control_->checkCancelled();
    }
    if (std::chrono::steady_clock::now() >= deadline_) {
        throw AppError(
            "Timed out reading the recording. Wait until Glimmerbox finishes saving it.");
    }
}

} // namespace cadrelle
