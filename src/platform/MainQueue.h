#pragma once
// The main thread's queue: windows, web views, timers and the bridge live here.
#include <functional>
#include <memory>

namespace nimbo::platform {

// A scheduled piece of work (one-shot or repeating) that can be called off.
class WorkItem {
public:
    virtual ~WorkItem() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};
using WorkHandle = std::shared_ptr<WorkItem>;

class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void post(std::function<void()> work) = 0;
    // Runs `work` once after `seconds`, unless cancelled first.
    virtual WorkHandle after(double seconds, std::function<void()> work) = 0;
    // Runs `tick` every `interval` seconds until cancelled (a repeating timer).
    virtual WorkHandle every(double interval, std::function<void()> tick) = 0;
};

}  // namespace nimbo::platform
