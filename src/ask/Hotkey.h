#pragma once
// The session-wide key tap that recognises the chord: Command and Option held
// together with nothing else. It reports press, release (with how long it was
// held), cancel and, while the teleprompter steers, Command+Option+Left/Right.
// What a hold or a tap means is up to whoever sets the callbacks.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Platform.h"

namespace nimbo {

class Hotkey {
public:
    // Written into the user data of every key event the shell posts itself.
    static constexpr std::int64_t kMarker = 0x6E696D626F;  // "nimbo"

    // Sets the fields and watches for sleep and lock; does not start the tap.
    explicit Hotkey(platform::Platform& platform);
    ~Hotkey();
    Hotkey(const Hotkey&) = delete;
    Hotkey& operator=(const Hotkey&) = delete;

    // Creates and enables the tap and starts the watchdog; false without permission.
    bool start();
    // Tears the tap down, forgets any hold without telling anyone, starts again.
    bool restart();
    // The tap has worked without interruption for more than 2.5 seconds.
    bool steadyListening() const;
    // Command and Option are held down together right now.
    bool chordDown() const { return down; }
    void setSteering(bool on);
    // Switches the taps back on after work (a screen capture) that may have
    // cost them their place.
    void enableAgain();

    std::function<void()> onPress = [] {};
    std::function<void(double held, double began, bool steered)> onRelease = [](double, double, bool) {};
    std::function<void()> onCancel = [] {};
    std::function<void(int step)> onSteer = [](int) {};
    std::function<void()> onDeaf;

    bool steering = false;
    // The tap could not be switched back on.
    bool deaf = false;

    // The taps' callbacks.
    void handle(const platform::TapEvent& event);
    bool steer(const platform::TapEvent& event);

private:
    void reset();
    void runWatchdog();
    // Callbacks run from the main queue, never inside the tap callback.
    void later(std::function<void()> call);

    platform::Platform& platform_;
    std::shared_ptr<platform::KeyTap> tap;
    platform::WorkHandle watchdog;
    bool down = false;
    bool poisoned = false;
    std::optional<double> pressedAt;
    bool steered = false;
    std::shared_ptr<platform::KeyTap> steerTap;
    bool wasOff = false;
    std::optional<double> listeningSince;
    platform::WorkHandle sessionObserver_;
    // Queued callbacks hold this weakly and do nothing once the tap is gone.
    std::shared_ptr<Hotkey*> alive_;
};

}  // namespace nimbo
