#include "core/SerialQueue.h"
#include "support/CoreApplication.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace cadrelle {
namespace {

// Waits (with a generous limit) until `done` holds.
class SerialQueueTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureCoreApplication(); }
};

template <typename Predicate> bool waitFor(Predicate done) {
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

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
    int refused = 0;
    queue.sync([&] {
        try {
            queue.sync([] {});
        } catch (const std::logic_error&) {
            ++refused;
        }
        try {
            queue.stop();
        } catch (const std::logic_error&) {
            ++refused;
        }
    });
    EXPECT_EQ(refused, 2);
    bool stillRuns = false;
    queue.sync([&] { stillRuns = true; });
    EXPECT_TRUE(stillRuns);
}

TEST_F(SerialQueueTest, StopDrainsOrCancelsQueuedWork) {
    std::atomic<int> ran{0};
    {
        SerialQueue queue("lumivane.drain");
        queue.async([] { std::this_thread::sleep_for(50ms); });
        for (int i = 0; i < 10; ++i) {
            queue.async([&] { ++ran; });
        }
        queue.stop(SerialQueue::StopMode::drain);
        EXPECT_EQ(ran.load(), 10);
        queue.async([&] { ++ran; }); // dropped after stop
        EXPECT_THROW(queue.sync([] {}), std::logic_error);
        queue.stop(); // a second stop does nothing
    }
    EXPECT_EQ(ran.load(), 10);

    ran = 0;
    SerialQueue queue("lumivane.cancel");
    std::mutex gate;
    std::unique_lock hold(gate);
    std::atomic<bool> started{false};
    queue.async([&] {
        started = true;
        std::lock_guard wait(gate);
    });
    for (int i = 0; i < 10; ++i) {
        queue.async([&] { ++ran; });
    }
    ASSERT_TRUE(waitFor([&] { return started.load(); }));
    std::thread stopper([&] { queue.stop(SerialQueue::StopMode::cancel); });
    std::this_thread::sleep_for(20ms);
    hold.unlock();
    stopper.join();
    EXPECT_EQ(ran.load(), 0);
}

TEST_F(SerialQueueTest, TimersFireOnTheQueueAndCanBeCancelled) {
    SerialQueue queue("lumivane.timers");
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
    ASSERT_TRUE(waitFor([&] { return ticks.load() >= 3 && once.load() == 1; }));
    queue.cancelTimer(repeating);
    queue.sync([] {}); // the cancellation has been applied
    const int stoppedAt = ticks.load();
    std::this_thread::sleep_for(100ms);
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
    ASSERT_TRUE(waitFor([&] { return selfEnding.load() >= 2; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(selfEnding.load(), 2);

    // Stopping ends running timers.
    std::atomic<int> late{0};
    queue.every(
        5ms, 1ms, [&] { ++late; }, 0ms);
    queue.stop();
    const int atStop = late.load();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(late.load(), atStop);
}

} // namespace
} // namespace cadrelle
