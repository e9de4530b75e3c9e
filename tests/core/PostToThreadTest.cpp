#include "core/PostToThread.h"
#include "core/SerialQueue.h"
#include "support/CoreApplication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <memory>

namespace cadrelle {
namespace {

TEST(PostToThread, RunsOnTheReceiversThreadAndNeverAfterItIsGone) {
    test::ensureCoreApplication();
    auto receiver = std::make_unique<QObject>();
    QThread* ranOn = nullptr;
    int runs = 0;
    {
        SerialQueue worker("lumivane.test-post");
        worker.sync([&, target = receiver.get()] {
            postToThreadOf(target, [&] {
                ranOn = QThread::currentThread();
                ++runs;
            });
        });
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ranOn, QThread::currentThread());

    // A closure posted to an object that is destroyed before it runs is dropped.
    postToThreadOf(receiver.get(), [&] { ++runs; });
    receiver.reset();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace cadrelle
