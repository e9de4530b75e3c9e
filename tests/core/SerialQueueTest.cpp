#include "core/SerialQueue.h"
#include "support/CoreApplication.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QThread>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace cadrelle {
namespace {

class SerialQueueTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureCoreApplication(); }
};

TEST_F(SerialQueueTest, RunsClosuresInOrderOnOneNamedThread) {
    SerialQueue queue("lumivane.test");
    std::vector<int> order;
    std::vector<QThread*> threads;
    QString name;
    for (int i = 0; i < 100; ++i) {
        queue.async([&, i] {
            order.push_back(i);
            threads.push_back(QThread::currentThread());
            name = QThread::currentThread()->objectName();
        });
    }
    bool onQueue = false;
    queue.sync([&] { onQueue = queue.isCurrent(); });
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
        EXPECT_EQ(threads[static_cast<std::size_t>(i)], threads.front());
    }
    EXPECT_NE(threads.front(), QThread::currentThread());
    EXPECT_EQ(name.toStdString(), "lumivane.test");
    EXPECT_TRUE(onQueue);
    EXPECT_FALSE(queue.isCurrent());
}

TEST_F(SerialQueueTest, SyncPassesErrorsBackAndRefusesItsOwnThread) {
    SerialQueue queue("lumivane.test");
    EXPECT_THROW(queue.sync([] { throw std::runtime_error("boom"); }), std::runtime_error);

    // A failing async closure does not end the queue.
    queue.async([] { throw std::runtime_error("ignored"); });
    queue.sync([&] {
        EXPECT_THROW(queue.sync([] {}), std::logic_error);
        EXPECT_THROW(queue.stop(), std::logic_error);
    });
    bool stillRuns = false;
    queue.sync([&] { stillRuns = true; });
    EXPECT_TRUE(stillRuns);
}

TEST_F(SerialQueueTest, StopDrainsOrCancelsQueuedWork) {
    for (const auto mode : {SerialQueue::StopMode::drain, SerialQueue::StopMode::cancel}) {
        const int expected = mode == SerialQueue::StopMode::drain ? 10 : 0;
        std::atomic<int> ran{0};
        SerialQueue queue("lumivane.stop");
        std::promise<void> gate;
        queue.async([opened = gate.get_future().share()] { opened.wait(); });
        for (int i = 0; i < 10; ++i) {
            queue.async([&] { ++ran; });
        }
        EXPECT_FALSE(queue.isStopped());
        std::thread stopper([&] { queue.stop(mode); });
        // The gate opens only once stop() has taken effect.
        ASSERT_TRUE(test::waitUntil([&] { return queue.isStopped(); }));
        gate.set_value();
        stopper.join();
        EXPECT_EQ(ran.load(), expected);
        queue.async([&] { ++ran; }); // dropped after stop
        EXPECT_THROW(queue.sync([] {}), std::logic_error);
        queue.stop(); // a second stop does nothing
        EXPECT_EQ(ran.load(), expected);
    }
}

// Set by a thread-local object's destructor, among the last things a thread
// does before it ends.
std::atomic<bool> threadLocalsEnded{false};
struct MarksTheThreadsEnd {
    ~MarksTheThreadsEnd() { threadLocalsEnded = true; }
};

TEST_F(SerialQueueTest, StopReturnsOnceTheThreadHasEndedAndQtReleasedIt) {
    // A process may exit as soon as stop() returns: nothing of the thread may
    // still be running then, or what only the thread still held is lost.
    for (const auto mode : {SerialQueue::StopMode::drain, SerialQueue::StopMode::cancel}) {
        threadLocalsEnded = false;
        QPointer<QThread> qtThread;
        SerialQueue queue("lumivane.end");
        queue.sync([&] {
            static thread_local MarksTheThreadsEnd mark;
            (void)&mark;
            qtThread = QThread::currentThread();
        });
        queue.every(
            1h, 1h, [] {}, 1h);
        queue.stop(mode);
        EXPECT_TRUE(threadLocalsEnded.load()) << "the thread's clean-up ran after stop()";
        EXPECT_TRUE(qtThread.isNull()) << "Qt's record of the thread outlived stop()";
    }
}

TEST_F(SerialQueueTest, TimersFireOnTheQueueAndCanBeCancelled) {
    SerialQueue queue("lumivane.timers");
    // A one-shot timer on the same queue, due after several ticks of the
    // timers under test: the queue fires due timers in the order of their
    // deadlines, so a tick still scheduled would have run before it, however
    // late the queue's thread gets to them.
    const auto aFewTicksLater = [&queue] {
        auto fired = std::make_shared<std::atomic<bool>>(false);
        queue.after(60ms, 1ms, [fired] { *fired = true; });
        return test::waitUntil([fired] { return fired->load(); });
    };
    std::atomic<int> once{0};
    std::atomic<int> ticks{0};
    std::atomic<bool> onQueue{true};
    queue.after(10ms, 1ms, [&] {
        ++once;
        onQueue = onQueue && queue.isCurrent();
    });
    const auto repeating = queue.every(
        20ms, 3ms,
        [&] {
            ++ticks;
            onQueue = onQueue && queue.isCurrent();
        },
        0ms);
    ASSERT_TRUE(test::waitUntil([&] { return ticks.load() >= 3 && once.load() == 1; }));
    queue.cancelTimer(repeating);
    queue.sync([] {}); // the cancellation has been applied
    const int stoppedAt = ticks.load();
    ASSERT_TRUE(aFewTicksLater());
    EXPECT_EQ(ticks.load(), stoppedAt);
    EXPECT_EQ(once.load(), 1);
    EXPECT_TRUE(onQueue.load());

    // A timer may end itself from its own tick.
    std::atomic<int> selfEnding{0};
    SerialQueue::TimerId id = 0;
    queue.sync([&] {
        id = queue.every(
            5ms, 1ms,
            [&] {
                if (++selfEnding == 2) {
                    queue.cancelTimer(id);
                }
            },
            5ms);
    });
    ASSERT_TRUE(test::waitUntil([&] { return selfEnding.load() >= 2; }));
    ASSERT_TRUE(aFewTicksLater());
    EXPECT_EQ(selfEnding.load(), 2);

    // Stopping ends running timers.
    std::atomic<int> late{0};
    queue.every(
        5ms, 1ms, [&] { ++late; }, 0ms);
    ASSERT_TRUE(test::waitUntil([&] { return late.load() >= 1; }));
    queue.stop();
    EXPECT_TRUE(queue.isStopped());
}

TEST_F(SerialQueueTest, TimersAddedOrCancelledWhileAnotherThreadStopsTheQueueNeverRun) {
    for (int round = 0; round < 20; ++round) {
        SerialQueue queue("lumivane.race");
        std::atomic<int> late{0};
        std::latch begin(2);
        std::thread other([&] {
            begin.arrive_and_wait();
            for (int i = 0; i < 50; ++i) {
                const bool stopped = queue.isStopped();
                const auto id = queue.after(0ms, 1ms, [&late, stopped] {
                    if (stopped) {
                        ++late;
                    }
                });
                queue.cancelTimer(id);
                queue.every(
                    1h, 1h, [] {}, 1h);
            }
        });
        begin.arrive_and_wait();
        queue.stop();
        other.join();
        EXPECT_TRUE(queue.isStopped());
        EXPECT_EQ(late.load(), 0) << "a timer added after stop began ran";
    }
}

} // namespace
} // namespace cadrelle
