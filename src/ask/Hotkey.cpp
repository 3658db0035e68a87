#include "ask/Hotkey.h"

#include "base/Log.h"

namespace nimbo {
namespace {

constexpr std::uint32_t kKeyDown = 10;
constexpr std::uint32_t kFlagsChanged = 12;
constexpr std::uint32_t kDisabledByTimeout = 0xFFFFFFFE;
constexpr std::uint32_t kDisabledByUserInput = 0xFFFFFFFF;
constexpr std::uint64_t kShift = 0x20000;
constexpr std::uint64_t kControl = 0x40000;
constexpr std::uint64_t kOption = 0x80000;
constexpr std::uint64_t kCommand = 0x100000;
constexpr int kLeftArrow = 123;
constexpr int kRightArrow = 124;
// Key-down and flags-changed for the listening tap.
constexpr std::uint64_t kListenMask = 0x1400;

bool isArrow(int keyCode) {
    return keyCode == kLeftArrow || keyCode == kRightArrow;
}

int stepOf(int keyCode) {
    return keyCode == kLeftArrow ? -1 : +1;
}

}  // namespace

Hotkey::Hotkey(platform::Platform& platform) : platform_(platform), alive_(std::make_shared<Hotkey*>(this)) {
    // A hold interrupted by sleep, a user switch or the lock screen never stays stuck.
    sessionObserver_ = platform.keyTaps().observeSessionInterruptions([weak = std::weak_ptr<Hotkey*>(alive_)] {
        auto self = weak.lock();
        if (self && ((*self)->down || (*self)->poisoned)) (*self)->reset();
    });
}

Hotkey::~Hotkey() {
    if (sessionObserver_) sessionObserver_->cancel();
    if (watchdog) watchdog->cancel();
    if (tap) tap->invalidate();
    if (steerTap) steerTap->invalidate();
}

void Hotkey::later(std::function<void()> call) {
    platform_.main().post([weak = std::weak_ptr<Hotkey*>(alive_), call = std::move(call)] {
        if (weak.lock()) call();
    });
}

bool Hotkey::start() {
    tap = platform_.keyTaps().listenOnly(kListenMask, [this](const platform::TapEvent& event) { handle(event); });
    if (!tap) return false;
    tap->setEnabled(true);
    deaf = false;
    listeningSince = platform_.clock().now();
    if (watchdog) watchdog->cancel();
    watchdog = platform_.main().every(1.0, [weak = std::weak_ptr<Hotkey*>(alive_)] {
        if (auto self = weak.lock()) (*self)->runWatchdog();
    });
    return true;
}

bool Hotkey::restart() {
    if (tap) {
        tap->setEnabled(false);
        tap->invalidate();
    }
    tap.reset();
    down = false;
    poisoned = false;
    pressedAt.reset();
    steered = false;
    return start();
}

bool Hotkey::steadyListening() const {
    return tap && tap->isEnabled() && !deaf && listeningSince && platform_.clock().now() - *listeningSince > 2.5;
}

void Hotkey::handle(const platform::TapEvent& event) {
    // The system switched the tap off: on again at once, and no hold survives it.
    if (event.type == kDisabledByTimeout || event.type == kDisabledByUserInput) {
        Log::line(event.type == kDisabledByTimeout ? "nimbo: macOS switched the key tap off (timeout) — back on"
                                                   : "nimbo: macOS switched the key tap off (user input) — back on");
        reset();
        if (tap) tap->setEnabled(true);
        return;
    }

    const double now = platform_.clock().now();
    if (event.type == kFlagsChanged) {
        // Other flags such as Caps Lock or Fn don't matter.
        const std::uint64_t flags = event.flags;
        const bool chord = (flags & kCommand) != 0 && (flags & kOption) != 0;
        const bool extra = (flags & (kShift | kControl)) != 0;
        if (chord && !extra) {
            if (poisoned || down) return;
            down = true;
            steered = false;
            pressedAt = now;
            later([this] { onPress(); });
            return;
        }
        if (chord) {
            if (down) {
                down = false;
                pressedAt.reset();
                later([this] { onCancel(); });
            }
            poisoned = true;
            return;
        }
        if ((flags & kCommand) == 0 && (flags & kOption) == 0) poisoned = false;
        // Releasing either key ends the hold.
        if (down) {
            down = false;
            const double began = pressedAt.value_or(now);
            const double held = now - began;
            pressedAt.reset();
            later([this, held, began, wasSteered = steered] { onRelease(held, began, wasSteered); });
        }
        return;
    }

    if (event.type != kKeyDown) return;
    // The shell's own typing.
    if (event.userData == kMarker) return;
    if (!down) return;
    if (steering && isArrow(event.keyCode)) {
        steered = true;
        // The steering tap reports the step itself when it holds the arrows.
        if (steerTap && steerTap->isEnabled()) return;
        if (!event.autoRepeat) later([this, step = stepOf(event.keyCode)] { onSteer(step); });
        return;
    }
    // Typing during the hold spoils it until both keys are up.
    down = false;
    poisoned = true;
    pressedAt.reset();
    later([this] { onCancel(); });
}

bool Hotkey::steer(const platform::TapEvent& event) {
    if (event.type == kDisabledByTimeout || event.type == kDisabledByUserInput) {
        if (steerTap) steerTap->setEnabled(true);
        return false;
    }
    const bool exactlyChord = (event.flags & (kShift | kControl | kOption | kCommand)) == (kCommand | kOption);
    if (!steering || !isArrow(event.keyCode) || !exactlyChord) return false;
    if (event.type == kKeyDown) {
        if (down) steered = true;
        if (!event.autoRepeat) later([this, step = stepOf(event.keyCode)] { onSteer(step); });
    }
    // Key-down and key-up alike: the front application never sees them while steering.
    return true;
}

void Hotkey::setSteering(bool on) {
    if (steering == on) return;
    steering = on;
    if (on) {
        steerTap = platform_.keyTaps().intercept({kLeftArrow, kRightArrow}, kCommand | kOption,
                                                 [this](const platform::TapEvent& event) { return steer(event); });
        if (!steerTap) {
            Log::line("nimbo: could not take ⌘⌥ ← → for the teleprompter — they will reach the app in front as well");
            return;
        }
        steerTap->setEnabled(true);
        return;
    }
    if (steerTap) {
        steerTap->setEnabled(false);
        steerTap->invalidate();
        steerTap.reset();
    }
}

void Hotkey::enableAgain() {
    if (tap) tap->setEnabled(true);
    if (steering && steerTap) steerTap->setEnabled(true);
}

void Hotkey::reset() {
    if (down) later([this] { onCancel(); });
    down = false;
    poisoned = false;
    steered = false;
    pressedAt.reset();
}

void Hotkey::runWatchdog() {
    if (steering && steerTap && !steerTap->isEnabled()) steerTap->setEnabled(true);
    if (!tap) return;
    if (tap->isEnabled()) {
        if (wasOff) {
            Log::line("nimbo: the key tap is listening again");
            listeningSince = platform_.clock().now();
        }
        wasOff = false;
        deaf = false;
        return;
    }
    // Each outage is logged once.
    reset();
    tap->setEnabled(true);
    const bool on = tap->isEnabled();
    if (!wasOff) {
        wasOff = true;
        Log::line(on ? "nimbo: the key tap is off — switched back on"
                     : "nimbo: the key tap is off — and will not switch on (Input Monitoring missing for this build?)");
    }
    if (on) {
        listeningSince = platform_.clock().now();
        return;
    }
    // A password field taking the keys is not deafness.
    if (!deaf && !platform_.keyTaps().secureInputEnabled()) {
        deaf = true;
        listeningSince.reset();
        if (onDeaf) onDeaf();
    }
}

}  // namespace nimbo
