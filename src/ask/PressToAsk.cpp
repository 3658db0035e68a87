// What the chord means in the conversation with the pages: a hold listens
// and then looks at the screen, a short tap confirms, two quick taps put
// everything away, and while steering the arrows move the teleprompter.
#include "actions/Actions.h"
#include "app/AppDelegate.h"
#include "base/Log.h"
#include "display/Displays.h"
#include "screen/Elements.h"
#include "screen/ReadPage.h"

namespace nimbo {
namespace {

constexpr double kHoldSeconds = 0.4;
constexpr double kDoubleTapSeconds = 0.28;
// The shell's own clicks are not the user's.
constexpr double kOwnClickSeconds = 1.0;

}  // namespace

void AppDelegate::arm() {
    // Clicks elsewhere: in other applications, and in the control center.
    auto& mice = platform_.mouseMonitors();
    observers_.push_back(mice.addGlobalMouseDownMonitor(weakly([](AppDelegate& d) { d.clickedElsewhere(); })));
    observers_.push_back(
        mice.addLocalMouseDownMonitor(weakly([](AppDelegate& d, const std::shared_ptr<platform::PageWindow>& window) {
            if (d.control && window && &d.control->window() == window.get()) d.clickedElsewhere();
        })));

    hotkey.onPress = weakly([](AppDelegate& d) { d.chordPressed(); });
    hotkey.onSteer = weakly([](AppDelegate& d, int step) { d.chordSteered(step); });
    hotkey.onCancel = weakly([](AppDelegate& d) { d.chordCancelled(); });
    hotkey.onRelease =
        weakly([](AppDelegate& d, double held, double began, bool steered) { d.chordReleased(held, began, steered); });
    // Without Accessibility the walk-through restarts the tap later.
    if (!platform_.permissions().accessibilityTrusted()) {
        Log::line("nimbo: the key tap waits for Accessibility");
        return;
    }
    if (!hotkey.start()) Log::line("nimbo: could not install the key tap — grant Accessibility and restart");
}

void AppDelegate::clickedElsewhere() {
    if (Actions::lastOwnClick && platform_.clock().now() - *Actions::lastOwnClick <= kOwnClickSeconds) return;
    for (const auto& overlay : overlays) overlay->emit("nimbo:clicked", std::nullopt);
}

std::shared_ptr<Overlay> AppDelegate::pressTargetOrUnderPointer() {
    if (auto target = pressTarget.lock()) return target;
    return overlayOn(std::nullopt);
}

std::shared_ptr<Overlay> AppDelegate::orUnderPointer(const std::shared_ptr<Overlay>& overlay) {
    return overlay ? overlay : overlayOn(std::nullopt);
}

void AppDelegate::sendLater(const std::weak_ptr<Overlay>& target, const std::string& channel,
                            platform::Priority priority, MaybeJson (*read)()) {
    auto send = weakly([target, channel](AppDelegate&, const MaybeJson& answer) {
        if (auto overlay = target.lock()) overlay->emit(channel, answer);
    });
    platform_.queues().async(
        priority, [read, send, &main = platform_.main()] { main.post([send, answer = read()] { send(answer); }); });
}

void AppDelegate::chordPressed() {
    // The teleprompter's page keeps the conversation while it steers.
    std::shared_ptr<Overlay> target;
    for (const auto& owner : steerOwners) {
        if ((target = owner.lock())) break;
    }
    if (!target) target = overlayOn(std::nullopt);
    pressTarget = target;
    auto& screens = platform_.screens();
    std::optional<platform::Screen> display;
    if (target) {
        display = target->screen();
    } else {
        display = Displays::screenAt(screens, screens.mouseLocation());
    }
    if (display) {
        Elements::prepare(Displays::topLeftBounds(screens, *display));
        if (target) target->emit("nimbo:listen", std::nullopt);
    } else {
        Elements::touch();
    }
    // Read ahead while the chord is held, off the main thread.
    sendLater(target, "nimbo:pointed", platform::Priority::userInitiated, &Elements::atPointer);
    sendLater(target, "nimbo:document", platform::Priority::utility, &ReadPage::prefetch);
}

void AppDelegate::chordSteered(int step) {
    for (const auto& owner : steerOwners) {
        if (auto overlay = owner.lock()) overlay->emit("nimbo:steer", step);
    }
}

void AppDelegate::chordCancelled() {
    Elements::discardEarly();
    if (auto target = pressTargetOrUnderPointer()) target->emit("nimbo:cancel", std::nullopt);
}

void AppDelegate::chordReleased(double held, double began, bool steered) {
    auto target = pressTargetOrUnderPointer();
    // A hold used to steer the teleprompter asks nothing.
    if (steered) {
        Elements::discardEarly();
        return;
    }
    // A hold: a pending single tap is settled first, then the screen is asked about.
    if (held >= kHoldSeconds) {
        if (auto pending = std::exchange(pendingTap, nullptr)) {
            pending->cancel();
            singleTap(pendingTapBegan_);
        }
        Actions::lastHold = std::make_pair(began, platform_.clock().now());
        captureAndSend(target);
        return;
    }
    // A tap: the first waits to see whether a second follows.
    Elements::discardEarly();
    if (!pendingTap) {
        if (target) target->emit("nimbo:tap", std::nullopt);
        pendingTapBegan_ = began;
        pendingTap = platform_.main().after(kDoubleTapSeconds, weakly([began](AppDelegate& d) { d.singleTap(began); }));
        return;
    }
    pendingTap->cancel();
    pendingTap.reset();
    Actions::clear();
    Log::line("nimbo: double tap — everything put away");
    if (target) target->emit("nimbo:cancel", std::nullopt);
}

// A single tap accepts a held offer that allows it, and is otherwise a confirmation.
void AppDelegate::singleTap(double began) {
    pendingTap.reset();
    auto target = pressTargetOrUnderPointer();
    auto accepted =
        Actions::acceptByTap(began, weakly([weak = std::weak_ptr<Overlay>(target)](AppDelegate& d, const Json& result) {
                                 d.offerDone(result, weak.lock());
                             }));
    if (accepted) return;
    confirmedAt = platform_.clock().now();
    if (target) target->emit("nimbo:confirm", std::nullopt);
}

}  // namespace nimbo
