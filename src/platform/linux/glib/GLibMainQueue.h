#pragma once
#include "platform/MainQueue.h"

namespace nimbo::x11 {

// The main queue is GLib's default main context, which GTK runs. Posting is
// safe from any thread; the work always runs on the main thread.
class GLibMainQueue final : public platform::MainQueue {
public:
    void post(std::function<void()> work) override;
    platform::WorkHandle after(double seconds, std::function<void()> work) override;
    platform::WorkHandle every(double interval, std::function<void()> tick) override;
};

}  // namespace nimbo::x11
