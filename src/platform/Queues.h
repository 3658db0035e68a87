#pragma once
// Background work off the main thread. Results come back through MainQueue::post.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace nimbo::platform {

enum class Priority { userInitiated, utility };

// Work counted in and out that another thread may wait for, with a time limit.
class Group {
public:
    virtual ~Group() = default;
    virtual void enter() = 0;
    virtual void leave() = 0;
    // Blocks until all entered work has left or `seconds` have passed; answers
    // whether it all left.
    virtual bool wait(double seconds) = 0;
};

// A group whose waiter sleeps on a condition variable: right for any backend
// whose clock is the monotonic time of the machine.
class ThreadGroup final : public Group {
public:
    void enter() override {
        std::lock_guard lock(mutex_);
        ++count_;
    }
    void leave() override {
        {
            std::lock_guard lock(mutex_);
            if (count_ > 0) --count_;
        }
        left_.notify_all();
    }
    bool wait(double seconds) override {
        std::unique_lock lock(mutex_);
        return left_.wait_for(lock, std::chrono::duration<double>(seconds > 0 ? seconds : 0),
                              [this] { return count_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable left_;
    int count_ = 0;
};

class Queues {
public:
    virtual ~Queues() = default;
    virtual void async(Priority priority, std::function<void()> work) = 0;
    // A new group to count work of these queues in.
    virtual std::shared_ptr<Group> group() { return std::make_shared<ThreadGroup>(); }
};

}  // namespace nimbo::platform
