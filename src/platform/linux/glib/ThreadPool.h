#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Queues.h"

namespace nimbo::x11 {

// A few worker threads for background work. User-initiated work is taken
// before utility work; within one priority, first come first served.
class ThreadPool final : public platform::Queues {
public:
    explicit ThreadPool(unsigned threads = 3);
    ~ThreadPool() override;  // finishes running work, drops what never started
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    void async(platform::Priority priority, std::function<void()> work) override;

private:
    void workerLoop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> userInitiated_;
    std::deque<std::function<void()>> utility_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace nimbo::x11
