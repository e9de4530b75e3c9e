#include "core/ClosureMailbox.h"
#include "core/SerialQueue.h"
#include "support/CoreApplication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <numeric>
#include <vector>

namespace cadrelle {
namespace {

TEST(ClosureMailboxTest, ClosuresPostedFromAQueueRunOnTheMainThreadInOrder) {
    test::ensureCoreApplication();
    std::vector<int> order; // touched on the main thread only
    bool allOnMainThread = true;
    {
        SerialQueue queue("lumivane.poster");
        queue.sync([&] {
            for (int i = 0; i < 50; ++i) {
                postToMainThread([&, i] {
                    order.push_back(i);
                    allOnMainThread = allOnMainThread && QThread::currentThread() ==
                                                             QCoreApplication::instance()->thread();
                });
            }
        });
    }
    EXPECT_TRUE(order.empty()) << "nothing runs until the main thread's event loop turns";
    EXPECT_TRUE(test::waitUntil([&] { return order.size() == 50; }));
    std::vector<int> expected(50);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(allOnMainThread);

    // A mailbox that goes away drops what it still holds.
    int ran = 0;
    {
        ClosureMailbox mailbox;
        mailbox.post([&] { ++ran; });
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ran, 0);
}

} // namespace
} // namespace cadrelle
