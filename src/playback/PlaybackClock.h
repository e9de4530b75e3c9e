#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace cadrelle {

// The time a playing movie has reached, in microseconds: it runs with a
// monotonic time source while playing and stands still while paused. Where
// sound plays, the player sets it to the sound's position as it goes. Safe
// to read from any thread; it is set from one.
class PlaybackClock {
public:
    // Microseconds of a monotonic time source.
    using TimeSource = std::function<std::int64_t()>;
    static std::int64_t steadyMicroseconds();

    explicit PlaybackClock(TimeSource source = steadyMicroseconds);

    std::int64_t now() const;
    bool running() const;
    // Runs on from the time it shows.
    void start();
    // Stands still at the time it shows.
    void stop();
    // Shows `time` from now on, running or not.
    void set(std::int64_t time);

private:
    std::int64_t nowLocked() const;

    TimeSource source_;
    // Guards the two below, which change together.
    mutable std::mutex lock_;
    bool running_ = false;
    // While running, the movie's time minus the source's; else the time.
    std::int64_t offset_ = 0;
};

} // namespace cadrelle
