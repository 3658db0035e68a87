#pragma once
#include "platform/Clock.h"

namespace nimbo::x11 {

// GLib's clocks: the monotonic one that also drives the main loop's timers,
// and the real-time clock for timestamps.
class MonotonicClock final : public platform::Clock {
public:
    double now() const override;
    double wallNow() const override;
    void sleep(double seconds) override;
};

}  // namespace nimbo::x11
