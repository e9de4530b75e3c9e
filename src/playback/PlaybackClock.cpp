#include "PlaybackClock.h"

#include <chrono>

namespace cadrelle {

std::int64_t PlaybackClock::steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

PlaybackClock::PlaybackClock(TimeSource source) : source_(std::move(source)) {}

std::int64_t PlaybackClock::nowLocked() const {
    return running_ ? source_() + offset_ : offset_;
}

std::int64_t PlaybackClock::now() const {
    const std::lock_guard guard(lock_);
    return nowLocked();
}

bool PlaybackClock::running() const {
    const std::lock_guard guard(lock_);
    return running_;
}

void PlaybackClock::start() {
    const std::lock_guard guard(lock_);
    if (!running_) {
        offset_ -= source_();
        running_ = true;
    }
}

void PlaybackClock::stop() {
    const std::lock_guard guard(lock_);
    offset_ = nowLocked();
    running_ = false;
}

void PlaybackClock::set(std::int64_t time) {
    const std::lock_guard guard(lock_);
    offset_ = running_ ? time - source_() : time;
}

} // namespace cadrelle
