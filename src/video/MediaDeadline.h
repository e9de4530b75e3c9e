#pragma once

#include "core/CaptureExportControl.h"

#include <chrono>
#include <functional>

extern "C" {
#include <libavformat/avio.h>
}

namespace cadrelle {

// Bounds the blocking reads of a recording: FFmpeg polls the interrupt
// callback during every read, and the callback stops the read when the job is
// cancelled or the time limit has passed. After an interrupted call,
// `throwIfStopped` tells the two apart. FFmpeg keeps the callback for the life
// of the opened file, so the object must outlive it.
class MediaDeadline {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds kDefaultLimit{30'000};

    // The limit runs on `clock` (tests move it by hand) from now on.
    explicit MediaDeadline(const CaptureExportControl& control,
                           std::chrono::milliseconds limit = kDefaultLimit,
                           Clock clock = std::chrono::steady_clock::now);
    MediaDeadline(const MediaDeadline&) = delete;
    MediaDeadline& operator=(const MediaDeadline&) = delete;

    // The callback to install on a format context; valid while this object lives.
    AVIOInterruptCB callback() const;
    // From now on only `control` (none: nothing) stops the reads; no time limit.
    void watchOnly(const CaptureExportControl* control);
    // True when the work must stop now.
    bool shouldStop() const;
    // Throws Cancelled when the job was cancelled, or the time-out AppError
    // when the limit has passed; cancellation wins over a time-out.
    void throwIfStopped() const;

private:
    bool timedOut() const { return clock_() >= deadline_; }

    const CaptureExportControl* control_;
    Clock clock_;
    std::chrono::steady_clock::time_point deadline_;
};

} // namespace cadrelle
