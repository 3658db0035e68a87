#include "platform/linux/glib/ThreadPool.h"

#include <cstdio>
#include <exception>

namespace nimbo::x11 {

ThreadPool::ThreadPool(unsigned threads) {
    if (threads == 0) threads = 1;
    workers_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { workerLoop(); });
}

ThreadPool::~ThreadPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& worker : workers_) worker.join();
}

void ThreadPool::async(platform::Priority priority, std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        (priority == platform::Priority::userInitiated ? userInitiated_ : utility_).push_back(std::move(work));
    }
    wake_.notify_one();
}

void ThreadPool::workerLoop() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !userInitiated_.empty() || !utility_.empty(); });
            if (stopping_) return;
            auto& queue = userInitiated_.empty() ? utility_ : userInitiated_;
            work = std::move(queue.front());
            queue.pop_front();
        }
        // An escaping exception would end the process from a worker thread;
        // report it and keep the worker alive for the next job.
        try {
            work();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "nimbo: background work threw — %s\n", error.what());
        } catch (...) {
            std::fprintf(stderr, "nimbo: background work threw — unknown exception\n");
        }
    }
}

}  // namespace nimbo::x11
