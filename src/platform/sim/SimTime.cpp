#include "platform/sim/SimTime.h"

namespace nimbo::sim {

struct SimMainQueue::Item : platform::WorkItem {
    std::function<void()> work;
    double repeat = 0;
    bool cancelled = false;
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
};

platform::WorkHandle SimMainQueue::schedule(double at, double repeat, std::function<void()> work) {
    auto item = std::make_shared<Item>();
    item->work = std::move(work);
    item->repeat = repeat;
    items_.emplace(std::make_pair(at, nextSequence_++), item);
    return item;
}

void SimMainQueue::post(std::function<void()> work) {
    schedule(clock_.now(), 0, std::move(work));
}

platform::WorkHandle SimMainQueue::after(double seconds, std::function<void()> work) {
    return schedule(clock_.now() + (seconds > 0 ? seconds : 0), 0, std::move(work));
}

platform::WorkHandle SimMainQueue::every(double interval, std::function<void()> tick) {
    return schedule(clock_.now() + interval, interval, std::move(tick));
}

bool SimMainQueue::runNextDue(double limit) {
    if (items_.empty()) return false;
    auto first = items_.begin();
    double due = first->first.first;
    if (due > limit) return false;
    auto item = first->second;
    items_.erase(first);
    if (item->cancelled) return true;
    if (due > clock_.now()) clock_.setNow(due);
    if (item->repeat > 0) {
        // A repeating timer keeps its identity, so cancelling the handle stops it.
        items_.emplace(std::make_pair(due + item->repeat, nextSequence_++), item);
    } else {
        item->cancelled = true;  // fired: a later cancel is harmless
    }
    auto work = item->work;  // the work may cancel its own item
    work();
    return true;
}

void SimMainQueue::runUntilIdle() {
    while (runNextDue(clock_.now())) {
    }
}

void SimMainQueue::advance(double seconds) {
    double target = clock_.now() + seconds;
    while (runNextDue(target)) {
    }
    clock_.setNow(target);
}

size_t SimMainQueue::pendingCount() const {
    size_t count = 0;
    for (const auto& [key, item] : items_) count += item->cancelled ? 0 : 1;
    return count;
}

}  // namespace nimbo::sim
