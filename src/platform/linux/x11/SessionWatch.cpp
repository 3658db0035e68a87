#include "platform/linux/x11/SessionWatch.h"

#include <algorithm>

#include "platform/linux/dbus/LoginSession.h"
#include "platform/linux/dbus/ScreenSavers.h"
#include "platform/linux/glib/CancelToken.h"
#include "platform/linux/x11/DisplaySleep.h"

namespace nimbo::x11 {

std::shared_ptr<SessionWatch> SessionWatch::start() {
    std::shared_ptr<SessionWatch> watch(new SessionWatch());
    const auto interrupted = [weak = std::weak_ptr<SessionWatch>(watch)] {
        if (auto self = weak.lock()) self->interrupted();
    };
    // Secure input is read when a key arrives, so a change needs no telling.
    watch->login_ = LoginSession::watch(interrupted);
    watch->screenSavers_ = ScreenSavers::watch(interrupted);
    watch->displaySleep_ = DisplaySleep::watch(interrupted);
    return watch;
}

SessionWatch::~SessionWatch() = default;

bool SessionWatch::secure() const {
    return login_->locked() || screenSavers_->active();
}

platform::WorkHandle SessionWatch::observe(std::function<void()> handler) {
    observers_.erase(std::remove_if(observers_.begin(), observers_.end(),
                                    [](const Observer& kept) { return kept.handle->isCancelled(); }),
                     observers_.end());
    // Dropping the handle keeps the calls coming; only cancelling stops them.
    auto handle = std::make_shared<CancelToken>([] {});
    observers_.push_back({handle, std::move(handler)});
    return handle;
}

void SessionWatch::interrupted() {
    // A handler may add or cancel observers.
    const auto observers = observers_;
    for (const auto& observer : observers)
        if (!observer.handle->isCancelled()) observer.handler();
}

}  // namespace nimbo::x11
