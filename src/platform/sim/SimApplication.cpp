#include "platform/sim/SimApplication.h"

namespace nimbo::sim {

template <typename Handler>
struct SimApplication::Observer : platform::WorkItem {
    Handler handler;
    bool cancelled = false;
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
};

namespace {
template <typename Handler, typename List>
platform::WorkHandle add(List& list, Handler handler) {
    auto observer = std::make_shared<typename List::value_type::element_type>();
    observer->handler = std::move(handler);
    list.push_back(observer);
    return observer;
}
}  // namespace

int SimApplication::run() {
    if (delegate_) delegate_->applicationDidFinishLaunching();
    main_.runUntilIdle();
    return 0;
}

void SimApplication::requestTerminate() {
    if (!delegate_) return;
    switch (delegate_->applicationShouldTerminate()) {
        case platform::TerminateReply::now:
            terminated = true;
            delegate_->applicationWillTerminate();
            break;
        case platform::TerminateReply::later:
            awaitingReply_ = true;
            break;
        case platform::TerminateReply::cancel:
            break;
    }
}

void SimApplication::replyToApplicationShouldTerminate(bool terminate) {
    terminateReplies.push_back(terminate);
    if (!awaitingReply_) return;
    awaitingReply_ = false;
    if (terminate && delegate_) {
        terminated = true;
        delegate_->applicationWillTerminate();
    }
}

platform::WorkHandle SimApplication::addLocalKeyMonitor(std::function<bool(const platform::KeyEvent&)> handler) {
    return add(keyMonitors_, std::move(handler));
}

platform::WorkHandle SimApplication::observeFrontApplication(
    std::function<void(const std::optional<platform::RunningApp>&)> handler) {
    return add(frontObservers_, std::move(handler));
}

platform::WorkHandle SimApplication::observeScreenParameters(std::function<void()> handler) {
    return add(screenObservers_, std::move(handler));
}

bool SimApplication::deliverKey(const platform::KeyEvent& event) {
    for (const auto& monitor : keyMonitors_) {
        if (!monitor->cancelled && monitor->handler(event)) return true;
    }
    return false;
}

// Notifications arrive on the main queue, as the observers were registered there.
void SimApplication::activate(const std::optional<platform::RunningApp>& app) {
    if (app) front = app;
    for (const auto& observer : frontObservers_) {
        main_.post([observer, app] {
            if (!observer->cancelled) observer->handler(app);
        });
    }
    main_.runUntilIdle();
}

void SimApplication::changeScreens() {
    for (const auto& observer : screenObservers_) {
        main_.post([observer] {
            if (!observer->cancelled) observer->handler();
        });
    }
    main_.runUntilIdle();
}

}  // namespace nimbo::sim
