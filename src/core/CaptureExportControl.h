#pragma once

#include <atomic>
#include <memory>

namespace cadrelle {

// The cancellation token of one framing job. Copies share one flag, so the
// job's owner keeps a copy and hands another to the job. A token may be linked
// to a parent (a watcher's, or the application's at shutdown): cancelling the
// parent cancels every job linked to it, while cancelling one job leaves the
// parent and its other jobs running. Safe to use from any thread.
class CaptureExportControl {
public:
    // A new token with no parent, not cancelled.
    CaptureExportControl();

    // A new token for one job, cancelled when this one is.
    CaptureExportControl child() const;

    void cancel();
    // Whether this token or one of its parents was cancelled.
    bool isCancelled() const;
    // Throws Cancelled when the job was cancelled.
    void checkCancelled() const;

private:
    struct Flag {
        std::atomic<bool> cancelled{false};
        std::shared_ptr<const Flag> parent;
    };
    explicit CaptureExportControl(std::shared_ptr<Flag> flag) : flag_(std::move(flag)) {}

    std::shared_ptr<Flag> flag_;
};

} // namespace cadrelle
