#include <mutex>

#include "screen/Desktop.h"
#include "screen/Elements.h"

namespace nimbo::Elements {

namespace {

// An early walk older than this describes a screen that has moved on.
constexpr double kFreshFor = 15;
// A release waits this long for the walk a hold started.
constexpr double kWaitForInFlight = 2.5;
// Fewer nodes than this in the first application window: the app may still
// have been building its tree, so the release walks again.
constexpr size_t kEnoughNodes = 10;

struct InFlight {
    double started = 0;
    Rect bounds;
    std::optional<int> front;
    std::shared_ptr<platform::Group> done;
};

struct Early {
    double at = 0;
    Rect bounds;
    std::optional<int> front;
    Walked walked;
};

std::mutex earlyLock;
// Bumped by each start and each discard: a walk that finishes under an older
// generation is stale and dropped.
long long generation = 0;
std::optional<InFlight> inFlight;
std::optional<Early> early;

}  // namespace

namespace detail {

void forgetEarly() {
    std::lock_guard lock(earlyLock);
    ++generation;
    inFlight.reset();
    early.reset();
}

}  // namespace detail

void prepare(const Rect& bounds) {
    auto* platform = detail::desktop();
    if (!platform) return;
    auto front = detail::frontPid(*platform);
    auto done = platform->queues().group();
    done->enter();
    long long mine = 0;
    {
        std::lock_guard lock(earlyLock);
        mine = ++generation;
        inFlight = InFlight{platform->clock().now(), bounds, front, done};
    }
    platform->queues().async(platform::Priority::userInitiated, [platform, bounds, front, done, mine] {
        auto walked = walkWindows(bounds);
        {
            std::lock_guard lock(earlyLock);
            if (generation == mine) early = Early{platform->clock().now(), bounds, front, std::move(walked)};
        }
        done->leave();
    });
}

std::optional<Walked> takeEarly(const Rect& bounds) {
    auto* platform = detail::desktop();
    if (!platform) return std::nullopt;
    std::optional<Early> taken;
    {
        std::lock_guard lock(earlyLock);
        taken = std::exchange(early, std::nullopt);
    }
    if (!taken || taken->bounds != bounds || platform->clock().now() - taken->at >= kFreshFor) return std::nullopt;
    if (taken->front != detail::frontPid(*platform)) return std::nullopt;
    for (const auto& window : taken->walked.windows) {
        if (window.trusted) continue;
        if (window.nodes.size() < kEnoughNodes) return std::nullopt;
        return std::move(taken->walked);
    }
    return std::nullopt;
}

Walked walkFor(const Rect& bounds) {
    auto* platform = detail::desktop();
    if (!platform) return {};
    if (auto walked = takeEarly(bounds)) return std::move(*walked);
    std::optional<InFlight> running;
    {
        std::lock_guard lock(earlyLock);
        running = inFlight;
    }
    if (running && running->bounds == bounds && platform->clock().now() - running->started < kFreshFor &&
        running->front == detail::frontPid(*platform) && running->done->wait(kWaitForInFlight)) {
        if (auto walked = takeEarly(bounds)) return std::move(*walked);
    }
    return walkWindows(bounds);
}

void discardEarly() {
    detail::forgetEarly();
}

}  // namespace nimbo::Elements
