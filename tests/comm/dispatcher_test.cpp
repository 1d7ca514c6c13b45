#include "platform/main_dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/event.h"
#include "support/qt_support.h"

namespace morvaline {
namespace {

using test::spinUntil;

TEST(MainDispatcher, PostedCallsRunInOrderOnTheMainThread) {
    test::testApp();
    MainDispatcher dispatcher;
    std::vector<int> order;
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            dispatcher.post([&, i] {
                EXPECT_TRUE(dispatcher.isMainThread());
                order.push_back(i);
            });
    });
    worker.join();
    EXPECT_TRUE(order.empty());  // nothing runs before the loop does
    ASSERT_TRUE(spinUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(MainDispatcher, ASendFromAWorkerWaitsForItsAnswer) {
    test::testApp();
    MainDispatcher dispatcher;
    int answer = 0;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        answer = dispatcher.call([&] { return dispatcher.isMainThread() ? 42 : -1; }, 0);
        done = true;
    });
    ASSERT_TRUE(spinUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(answer, 42);
}

TEST(MainDispatcher, ASendOnTheMainThreadRunsAtOnce) {
    test::testApp();
    MainDispatcher dispatcher;
    bool ran = false;
    EXPECT_TRUE(dispatcher.send([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST(MainDispatcher, ShutdownReleasesAWaitingSender) {
    test::testApp();
    MainDispatcher dispatcher;
    Event aboutToSend;
    bool ran = false;
    bool sent = true;
    std::thread worker([&] {
        aboutToSend.set();
        sent = dispatcher.send([&] { ran = true; });
    });
    aboutToSend.wait();
    dispatcher.shutdown();  // the main thread will not serve it: the sender must not hang
    worker.join();
    EXPECT_FALSE(sent);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(dispatcher.send([&] { ran = true; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST(MainDispatcher, APosterKeptPastTheDispatcherDropsItsCalls) {
    test::testApp();
    MainDispatcher::Poster post;
    bool ran = false;
    {
        MainDispatcher dispatcher;
        post = dispatcher.poster();
    }
    post([&] { ran = true; });
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace morvaline
