#pragma once
// The simulated application object: a test drives launching, quitting, keys,
// front-application and display changes through it.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Application.h"
#include "platform/sim/SimTime.h"

namespace nimbo::sim {

class SimApplication : public platform::Application {
public:
    explicit SimApplication(SimMainQueue& main) : main_(main) {}

    void setDelegate(platform::ApplicationDelegate* delegate) override { delegate_ = delegate; }
    void setActivationPolicyRegular() override { regular = true; }
    bool handOverToRunningInstance() override {
        if (anotherInstance) ++handedOver;
        return anotherInstance;
    }
    // Launches: the delegate's launch work runs, then whatever it posted.
    int run() override;
    void requestTerminate() override;
    void replyToApplicationShouldTerminate(bool terminate) override;
    std::shared_ptr<platform::PageWindow> keyWindow() const override { return keyWindow_; }
    platform::WorkHandle addLocalKeyMonitor(std::function<bool(const platform::KeyEvent&)> handler) override;
    platform::WorkHandle observeFrontApplication(
        std::function<void(const std::optional<platform::RunningApp>&)> handler) override;
    std::optional<platform::RunningApp> frontApplication() const override { return front; }
    platform::WorkHandle observeScreenParameters(std::function<void()> handler) override;
    int processId() const override { return pid; }

    // Test side. Answers whether a local monitor swallowed the key event.
    bool deliverKey(const platform::KeyEvent& event);
    void activate(const std::optional<platform::RunningApp>& app);
    void changeScreens();
    void setKeyWindow(std::shared_ptr<platform::PageWindow> window) { keyWindow_ = std::move(window); }

    bool regular = false;
    bool anotherInstance = false;  // a shell already runs in the session
    int handedOver = 0;            // launches that asked it to reopen
    int pid = 4242;
    std::optional<platform::RunningApp> front;
    std::vector<bool> terminateReplies;  // replies given to a `later` answer
    bool terminated = false;             // the will-terminate step ran

private:
    template <typename Handler>
    struct Observer;

    SimMainQueue& main_;
    platform::ApplicationDelegate* delegate_ = nullptr;
    std::shared_ptr<platform::PageWindow> keyWindow_;
    bool awaitingReply_ = false;
    std::vector<std::shared_ptr<Observer<std::function<bool(const platform::KeyEvent&)>>>> keyMonitors_;
    std::vector<std::shared_ptr<Observer<std::function<void(const std::optional<platform::RunningApp>&)>>>>
        frontObservers_;
    std::vector<std::shared_ptr<Observer<std::function<void()>>>> screenObservers_;
};

}  // namespace nimbo::sim
