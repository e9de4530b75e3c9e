#include "MediaDeadline.h"

#include "core/AppError.h"

namespace cadrelle {

MediaDeadline::MediaDeadline(const CaptureExportControl& control, std::chrono::milliseconds limit,
                             Clock clock)
    : control_(&control), clock_(std::move(clock)), deadline_(clock_() + limit) {}

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
    return (control_ != nullptr && control_->isCancelled()) || timedOut();
}

void MediaDeadline::throwIfStopped() const {
    if (control_ != nullptr) {
        control_->checkCancelled();
    }
    if (timedOut()) {
        throw AppError(
            "Timed out reading the recording. Wait until Glimmerbox finishes saving it.");
    }
}

} // namespace cadrelle
