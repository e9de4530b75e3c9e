#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace cadrelle {

// A named worker thread running its own Qt event loop (a QCoreApplication must
// exist, as it does in the program). Closures run on it one
// at a time, in the order they were queued. It is the program's only way to
// run work off the main thread.
//
// The thread is a std::thread that Qt adopts, not a QThread: stop() joins it,
// so when stop() returns the thread has ended completely, its thread-local
// clean-up included (Qt's record of the thread, its event dispatcher, the
// libraries' per-thread state). QThread::wait() returns before that clean-up,
// and a process that ended meanwhile lost what the thread still held.
//
// Closures queued with async() must handle their own errors: an exception
// that escapes one is swallowed so that the queue keeps running.
class SerialQueue final {
public:
    using Work = std::function<void()>;
    using Duration = std::chrono::milliseconds;
    using TimerId = std::uint64_t;

    enum class StopMode {
        drain,  // run everything queued so far, then end
        cancel, // drop closures that have not started yet, then end
    };

    explicit SerialQueue(std::string label);
    // Stops the queue (draining) if stop() was not called.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return label_; }

    // True when called from the queue's own thread.
    bool isCurrent() const;

    // True once stop() has begun: from then on new work is dropped or refused.
    bool isStopped() const;

    // Queues a closure and returns at once. Dropped after stop().
    void async(Work work);

    // Runs a closure on the queue and waits for it; an exception it throws is
    // rethrown here. Throws std::logic_error when called from the queue's own
    // thread (it would wait for itself) or after stop().
    void sync(const Work& work);

    // Runs `handler` on the queue once after `delay`. `leeway` is how late the
    // timer may fire; a generous leeway lets the system group wake-ups.
    TimerId after(Duration delay, Duration leeway, Work handler);

    // Runs `handler` on the queue every `interval`, the first time after
    // `firstDelay` (zero: as soon as possible).
    TimerId every(Duration interval, Duration leeway, Work handler, Duration firstDelay);

    // Ends a timer. Called on the queue, no further tick runs; called from
    // another thread, a tick that is already running or queued may still run.
    void cancelTimer(TimerId timer);

    // Ends the queue and joins its thread: timers are cancelled, queued
    // closures are run (drain) or dropped (cancel). Throws std::logic_error
    // when called from the queue's own thread. Later calls do nothing.
    void stop(StopMode mode = StopMode::drain);

private:
    class Worker;
    // The thread's body: its event loop, until stop() ends it.
    void run();
    TimerId addTimer(Duration firstDelay, Duration interval, Duration leeway, bool repeating,
                     Work handler);

    std::string label_;
    mutable std::mutex stateLock_;
    std::condition_variable_any workerReady_;
    Worker* worker_ = nullptr; // lives on thread_, made and destroyed there
    bool accepting_ = true;
    std::thread thread_;
    std::thread::id threadId_;
    std::shared_ptr<std::atomic<bool>> dropQueued_;
    std::atomic<TimerId> nextTimer_{1};
};

} // namespace cadrelle
