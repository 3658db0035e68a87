#pragma once
// Background work off the main thread. Results come back through MainQueue::post.
#include <functional>

namespace nimbo::platform {

enum class Priority { userInitiated, utility };

class Queues {
public:
    virtual ~Queues() = default;
    virtual void async(Priority priority, std::function<void()> work) = 0;
};

}  // namespace nimbo::platform
