#pragma once
// A virtual clock and the main queue that runs on it. Nothing happens until a
// test advances time, so every delay is exact and instant.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "platform/Clock.h"
#include "platform/MainQueue.h"

namespace nimbo::sim {

class SimClock : public platform::Clock {
public:
    double now() const override { return now_; }
    double wallNow() const override { return wallBase_ + now_; }
    // Moves the clock on by the time slept; the shell's queued work waits, as
    // it would behind a blocked main thread, while `meanwhile` plays what the
    // rest of the desktop does in that time.
    void sleep(double seconds) override {
        if (seconds > 0) now_ += seconds;
        ++sleeps;
        if (meanwhile) meanwhile();
    }
    void setNow(double t) { now_ = t; }
    void setWallBase(double secondsSince1970) { wallBase_ = secondsSince1970; }

    std::function<void()> meanwhile;
    int sleeps = 0;

private:
    double now_ = 0;
    double wallBase_ = 1796459696;  // 2026-12-05T08:34:56Z
};

class SimMainQueue : public platform::MainQueue {
public:
    explicit SimMainQueue(SimClock& clock) : clock_(clock) {}

    void post(std::function<void()> work) override;
    platform::WorkHandle after(double seconds, std::function<void()> work) override;
    platform::WorkHandle every(double interval, std::function<void()> tick) override;

    // Runs everything due now, including work that work due now posts.
    void runUntilIdle();
    // Moves the clock forward by `seconds`, running each item at its own time.
    void advance(double seconds);
    size_t pendingCount() const;

private:
    struct Item;
    platform::WorkHandle schedule(double at, double repeat, std::function<void()> work);
    bool runNextDue(double limit);

    SimClock& clock_;
    uint64_t nextSequence_ = 0;
    // Ordered by (due time, sequence): ties run in the order they were scheduled.
    std::map<std::pair<double, uint64_t>, std::shared_ptr<Item>> items_;
};

}  // namespace nimbo::sim
