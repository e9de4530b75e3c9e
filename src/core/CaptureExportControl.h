#pragma once

#include <mutex>

namespace cadrelle {

// The cancellation flag of one framing job, shared by reference between the
// job's owner and the job. Long operations check it between steps.
class CaptureExportControl {
public:
    void cancel() {
        std::lock_guard guard(lock_);
        cancelled_ = true;
    }
    bool isCancelled() const {
        std::lock_guard guard(lock_);
        return cancelled_;
    }
    // Throws Cancelled when the job was cancelled.
    void checkCancelled() const;

private:
    mutable std::mutex lock_;
    bool cancelled_ = false;
};

} // namespace cadrelle
