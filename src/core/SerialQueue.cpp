#include "SerialQueue.h"

#include "ClosureMailbox.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <pthread.h>

#include <exception>
#include <map>
#include <stdexcept>

namespace cadrelle {

// The queue's object on its own thread: the mailbox of queued closures, the
// parent of the queue's timers, and the event loop that runs them.
class SerialQueue::Worker final : public ClosureMailbox {
public:
    explicit Worker(QEventLoop& itsLoop) : loop(itsLoop) {}

    QEventLoop& loop;
    std::map<TimerId, QTimer*> timers;

    void removeTimer(TimerId id) {
        const auto found = timers.find(id);
        if (found != timers.end()) {
            // Later, not now: the timer may be the one whose tick is running.
            found->second->stop();
            found->second->deleteLater();
            timers.erase(found);
        }
    }

    void removeAllTimers() {
        for (auto& entry : timers) {
            entry.second->stop();
            entry.second->deleteLater();
        }
        timers.clear();
    }
};

namespace {

void runGuarded(const SerialQueue::Work& work) {
    try {
        work();
    } catch (...) {
        // The closure's owner keeps its own errors; the queue goes on.
    }
}

Qt::TimerType timerTypeFor(SerialQueue::Duration interval, SerialQueue::Duration leeway) {
    // A coarse Qt timer may fire up to 5% of its interval late.
    return leeway.count() * 20 >= interval.count() ? Qt::CoarseTimer : Qt::PreciseTimer;
}

} // namespace

SerialQueue::SerialQueue(std::string label)
    : label_(std::move(label)), dropQueued_(std::make_shared<std::atomic<bool>>(false)) {
    thread_ = std::thread([this] { run(); });
    threadId_ = thread_.get_id();
    // Work may be queued as soon as this returns: wait for the thread's worker.
    std::unique_lock waiting(stateLock_);
    workerReady_.wait(waiting, [this] { return worker_ != nullptr; });
}

void SerialQueue::run() {
    // The system shows at most 15 bytes of a thread's name.
    ::pthread_setname_np(::pthread_self(), label_.substr(0, 15).c_str());
    // The loop makes Qt adopt this thread and give it an event dispatcher; Qt
    // releases both in this thread's own clean-up, which join() waits for.
    QEventLoop loop;
    QThread::currentThread()->setObjectName(QString::fromStdString(label_));
    {
        // Made here, so that it lives on this thread; destroyed here with the
        // timers and the closures that were never run.
        Worker worker(loop);
        {
            const std::lock_guard guard(stateLock_);
            worker_ = &worker;
        }
        workerReady_.notify_all();
        loop.exec();
    }
}

SerialQueue::~SerialQueue() {
    if (isCurrent()) {
        // Destroying a queue from its own closure cannot wait for itself; this
        // is a programming error.
        std::terminate();
    }
    stop(StopMode::drain);
}

bool SerialQueue::isStopped() const {
    std::lock_guard guard(stateLock_);
    return !accepting_;
}

bool SerialQueue::isCurrent() const {
    return std::this_thread::get_id() == threadId_;
}

void SerialQueue::async(Work work) {
    std::lock_guard guard(stateLock_);
    if (!accepting_) {
        return;
    }
    worker_->post([work = std::move(work), drop = dropQueued_] {
        if (!drop->load()) {
            runGuarded(work);
        }
    });
}

void SerialQueue::sync(const Work& work) {
    if (isCurrent()) {
        throw std::logic_error("SerialQueue::sync called on its own queue " + label_);
    }
    // The closure owns what it uses (a copy of the work and the completion
    // record), so the queue's thread never reads the caller's stack, which the
    // caller reuses once this returns. The caller waits with a
    // condition_variable_any, which takes the mutex back in our own code:
    // ThreadSanitizer sees that hand-over, but not a wait inside the
    // uninstrumented C++ library, such as a future's.
    struct Completion {
        std::mutex lock;
        std::condition_variable_any changed;
        bool done = false;
        std::exception_ptr error;
    };
    const auto completion = std::make_shared<Completion>();
    {
        std::lock_guard guard(stateLock_);
        if (!accepting_) {
            throw std::logic_error("SerialQueue::sync called after stop on " + label_);
        }
        worker_->post([work, completion, drop = dropQueued_] {
            std::exception_ptr error;
            if (drop->load()) {
                error = std::make_exception_ptr(
                    std::logic_error("SerialQueue::sync cancelled by stop"));
            } else {
                try {
                    work();
                } catch (...) {
                    error = std::current_exception();
                }
            }
            const std::lock_guard finished(completion->lock);
            completion->error = error;
            completion->done = true;
            completion->changed.notify_one();
        });
    }
    std::unique_lock waiting(completion->lock);
    completion->changed.wait(waiting, [&completion] { return completion->done; });
    if (completion->error) {
        std::rethrow_exception(completion->error);
    }
}

SerialQueue::TimerId SerialQueue::after(Duration delay, Duration leeway, Work handler) {
    return addTimer(delay, delay, leeway, false, std::move(handler));
}

SerialQueue::TimerId SerialQueue::every(Duration interval, Duration leeway, Work handler,
                                        Duration firstDelay) {
    return addTimer(firstDelay, interval, leeway, true, std::move(handler));
}

SerialQueue::TimerId SerialQueue::addTimer(Duration firstDelay, Duration interval, Duration leeway,
                                           bool repeating, Work handler) {
    const TimerId id = nextTimer_++;
    // Runs on the queue's thread, where worker_ stays set until the thread
    // ends; stop() clears it from another thread only after that.
    auto create = [this, id, firstDelay, interval, leeway, repeating,
                   handler = std::move(handler)]() mutable {
        Worker* worker = worker_;
        auto* timer = new QTimer(worker);
        timer->setSingleShot(!repeating);
        timer->setTimerType(timerTypeFor(interval, leeway));
        timer->setInterval(firstDelay);
        QObject::connect(timer, &QTimer::timeout, timer,
                         [worker, timer, id, interval, repeating, handler] {
                             if (repeating && timer->interval() != interval.count()) {
                                 timer->setInterval(interval);
                             }
                             if (!repeating) {
                                 worker->timers.erase(id);
                                 timer->deleteLater();
                             }
                             runGuarded(handler);
                         });
        worker->timers[id] = timer;
        timer->start();
    };
    if (isCurrent()) {
        create();
    } else {
        async(std::move(create));
    }
    return id;
}

void SerialQueue::cancelTimer(TimerId timer) {
    if (isCurrent()) {
        worker_->removeTimer(timer);
        return;
    }
    std::lock_guard guard(stateLock_);
    if (!accepting_) {
        return;
    }
    Worker* worker = worker_;
    // Not subject to a cancelling stop: removing a timer is always wanted.
    worker->post([worker, timer] { worker->removeTimer(timer); });
}

void SerialQueue::stop(StopMode mode) {
    if (isCurrent()) {
        throw std::logic_error("SerialQueue::stop called on its own queue " + label_);
    }
    {
        std::lock_guard guard(stateLock_);
        if (!accepting_) {
            return;
        }
        accepting_ = false;
        if (mode == StopMode::cancel) {
            dropQueued_->store(true);
        }
        // Queued after everything else: in drain mode every earlier closure
        // has run when this one does.
        Worker* worker = worker_;
        worker->post([worker] {
            worker->removeAllTimers();
            worker->loop.quit();
        });
    }
    thread_.join();
    const std::lock_guard finished(stateLock_);
    worker_ = nullptr;
}

} // namespace cadrelle
