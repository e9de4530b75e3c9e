#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace cadrelle {

// Runs closures on the thread it lives on, one per turn of that thread's
// event loop, in the order they were posted from any thread.
//
// The closures wait in the mailbox's own list, under its own lock; Qt's event
// queue carries only the wake-up, a queued call of a slot without arguments.
// So everything a closure holds crosses threads through a std::mutex, which
// ThreadSanitizer sees, rather than through Qt's event queue, whose locks it
// cannot see unless Qt itself is built with the sanitizer.
class ClosureMailbox : public QObject {
    Q_OBJECT

public:
    using Work = std::function<void()>;

    ClosureMailbox() = default;
    ClosureMailbox(const ClosureMailbox&) = delete;
    ClosureMailbox& operator=(const ClosureMailbox&) = delete;

    // Queues `work` and returns at once. Closures still queued when the
    // mailbox is destroyed are dropped.
    void post(Work work);

private:
    Q_INVOKABLE void runNext();

    std::mutex lock_;
    std::deque<Work> queued_;
};

// Runs `work` later on the main thread (the QCoreApplication's), through its
// event loop.
void postToMainThread(ClosureMailbox::Work work);

} // namespace cadrelle
