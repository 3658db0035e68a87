// The main queue on GLib's main loop and the background pool: order, delays,
// cancellation, and answers posted back from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "Desktop.h"
#include "platform/linux/glib/ThreadPool.h"

namespace nimbo::test {
namespace {

TEST(MainQueue, PostedWorkRunsLaterInOrder) {
    auto& main = desktop().main();
    std::vector<int> ran;
    main.post([&] { ran.push_back(1); });
    main.post([&] {
        ran.push_back(2);
        main.post([&] { ran.push_back(4); });  // posted while running: after what was already queued
    });
    main.post([&] { ran.push_back(3); });
    EXPECT_TRUE(ran.empty()) << "post never runs the work on the spot";
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 4; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
}

TEST(MainQueue, DelayedWorkRunsOnceAfterItsDelay) {
    auto& main = desktop().main();
    auto& clock = desktop().clock();
    std::vector<std::pair<int, double>> ran;
    const double start = clock.now();
    auto late = main.after(0.20, [&] { ran.emplace_back(2, clock.now() - start); });
    auto early = main.after(0.05, [&] { ran.emplace_back(1, clock.now() - start); });
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 2; }));
    EXPECT_EQ(ran[0].first, 1);
    EXPECT_EQ(ran[1].first, 2);
    EXPECT_GE(ran[0].second, 0.05);
    EXPECT_GE(ran[1].second, 0.20);
    runFor(0.1);
    EXPECT_EQ(ran.size(), 2u) << "one-shot work runs once";
}

TEST(MainQueue, CancelledWorkNeverRunsWhicheverThreadCancelsIt) {
    auto& main = desktop().main();
    bool ran = false, ranCancelledElsewhere = false, other = false, cancelled = false;
    auto work = main.after(0.05, [&] { ran = true; });
    EXPECT_FALSE(work->isCancelled());
    work->cancel();
    EXPECT_TRUE(work->isCancelled());
    auto elsewhere = main.after(0.05, [&] { ranCancelledElsewhere = true; });
    desktop().queues().async(platform::Priority::utility, [&, elsewhere] {
        elsewhere->cancel();
        desktop().main().post([&] { cancelled = true; });
    });
    main.after(0.15, [&] { other = true; });
    ASSERT_TRUE(waitUntil([&] { return other && cancelled; }));
    EXPECT_FALSE(ran);
    EXPECT_FALSE(ranCancelledElsewhere);

    // Dropping the handle doesn't cancel: the work still runs.
    bool dropped = false;
    main.after(0.01, [&] { dropped = true; });
    EXPECT_TRUE(waitUntil([&] { return dropped; }));
}

TEST(MainQueue, RepeatingTimersTickUntilCancelled) {
    auto& main = desktop().main();
    int ticks = 0;
    platform::WorkHandle timer;
    timer = main.every(0.02, [&] {
        if (++ticks == 3) timer->cancel();  // cancelling from inside a tick stops it
    });
    ASSERT_TRUE(waitUntil([&] { return ticks >= 3; }));
    runFor(0.1);
    EXPECT_EQ(ticks, 3);

    int outside = 0;
    auto other = main.every(0.01, [&] { ++outside; });
    ASSERT_TRUE(waitUntil([&] { return outside >= 2; }));
    other->cancel();
    const int seen = outside;
    runFor(0.05);
    EXPECT_EQ(outside, seen);
}

TEST(MainQueue, BackgroundWorkAnswersOnTheMainThread) {
    auto& main = desktop().main();
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> answers;
    std::atomic<int> offMain{0};
    for (int i = 0; i < 20; ++i) {
        desktop().queues().async(i % 2 ? platform::Priority::utility : platform::Priority::userInitiated, [&, i] {
            if (std::this_thread::get_id() != mainThread) ++offMain;
            main.post([&, i] {
                EXPECT_EQ(std::this_thread::get_id(), mainThread);
                answers.push_back(i);
            });
        });
    }
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 20; }));
    EXPECT_EQ(offMain.load(), 20);
    std::sort(answers.begin(), answers.end());
    for (int i = 0; i < 20; ++i) EXPECT_EQ(answers[i], i);
}

TEST(ThreadPool, UserInitiatedWorkGoesFirst) {
    x11::ThreadPool pool(1);
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    std::vector<std::string> order;
    // Hold the only worker so the rest queue up behind it.
    pool.async(platform::Priority::utility, [&] {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return open; });
    });
    auto record = [&](std::string name) {
        return [&, name] {
            std::lock_guard lock(mutex);
            order.push_back(name);
        };
    };
    pool.async(platform::Priority::utility, record("utility 1"));
    pool.async(platform::Priority::userInitiated, record("user 1"));
    pool.async(platform::Priority::utility, record("utility 2"));
    pool.async(platform::Priority::userInitiated, record("user 2"));
    {
        std::lock_guard lock(mutex);
        open = true;
    }
    released.notify_all();
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard lock(mutex);
        return order.size() == 4;
    }));
    EXPECT_EQ(order, (std::vector<std::string>{"user 1", "user 2", "utility 1", "utility 2"}));
}

TEST(ThreadPool, AThrowingJobDoesNotStopTheWorker) {
    x11::ThreadPool pool(1);
    std::atomic<bool> after{false};
    testing::internal::CaptureStderr();
    pool.async(platform::Priority::utility, [] { throw std::runtime_error("bad job"); });
    pool.async(platform::Priority::utility, [&] { after = true; });
    const bool ran = waitUntil([&] { return after.load(); });
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ran);
    EXPECT_NE(said.find("bad job"), std::string::npos);
}

}  // namespace
}  // namespace nimbo::test
