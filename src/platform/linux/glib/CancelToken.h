#pragma once
#include <atomic>
#include <functional>

#include "platform/MainQueue.h"

namespace nimbo::x11 {

// A WorkHandle for a registration (an observer, a monitor): cancelling runs
// the unregistration once; later calls do nothing.
class CancelToken final : public platform::WorkItem {
public:
    explicit CancelToken(std::function<void()> onCancel) : onCancel_(std::move(onCancel)) {}
    void cancel() override {
        if (cancelled_.exchange(true)) return;
        auto onCancel = std::move(onCancel_);
        if (onCancel) onCancel();
    }
    bool isCancelled() const override { return cancelled_; }

private:
    std::function<void()> onCancel_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace nimbo::x11
