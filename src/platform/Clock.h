#pragma once
// Time as the shell sees it. Every delay, timer and timestamp goes through
// here so that the simulated desktop can run the shell on a virtual clock.

namespace nimbo::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic seconds; only differences mean anything.
    virtual double now() const = 0;
    // Seconds since 1970-01-01T00:00:00Z.
    virtual double wallNow() const = 0;
    // Blocks the calling thread for `seconds`: the short waits an action makes
    // for another application to catch up. Nothing queued runs meanwhile.
    virtual void sleep(double seconds) = 0;
};

}  // namespace nimbo::platform
