#include "CaptureExportControl.h"

#include "AppError.h"

namespace cadrelle {

CaptureExportControl::CaptureExportControl() : flag_(std::make_shared<Flag>()) {}

CaptureExportControl CaptureExportControl::child() const {
    auto flag = std::make_shared<Flag>();
    flag->parent = flag_;
    return CaptureExportControl(std::move(flag));
}

void CaptureExportControl::cancel() {
    flag_->cancelled.store(true, std::memory_order_release);
}

bool CaptureExportControl::isCancelled() const {
    for (const Flag* flag = flag_.get(); flag != nullptr; flag = flag->parent.get()) {
        if (flag->cancelled.load(std::memory_order_acquire)) {
            return true;
        }
    }
    return false;
}

void CaptureExportControl::checkCancelled() const {
    if (isCancelled()) {
        throw Cancelled();
    }
}

} // namespace cadrelle
