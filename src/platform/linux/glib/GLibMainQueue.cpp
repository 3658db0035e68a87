#include "platform/linux/glib/GLibMainQueue.h"

#include <glib.h>

#include <atomic>
#include <cmath>
#include <mutex>

namespace nimbo::x11 {
namespace {

guint toMilliseconds(double seconds) {
    if (!(seconds > 0)) return 0;  // also catches NaN
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= static_cast<double>(G_MAXUINT) ? G_MAXUINT : static_cast<guint>(ms);
}

// One timer source. The handle and the source share it; whichever lets go
// last frees it. `cancelled` is checked again at dispatch because cancel()
// may race with a firing timer when called from another thread.
class TimerItem final : public platform::WorkItem, public std::enable_shared_from_this<TimerItem> {
public:
    TimerItem(std::function<void()> work, bool repeating) : work_(std::move(work)), repeating_(repeating) {}

    void start(guint milliseconds) {
        auto* keep = new std::shared_ptr<TimerItem>(shared_from_this());
        GSource* source = g_timeout_source_new(milliseconds);
        g_source_set_callback(source, &TimerItem::dispatch, keep,
                              [](gpointer data) { delete static_cast<std::shared_ptr<TimerItem>*>(data); });
        {
            std::lock_guard lock(mutex_);
            source_ = source;  // our reference from g_timeout_source_new
        }
        g_source_attach(source, nullptr);
    }

    ~TimerItem() override {
        if (source_) g_source_unref(source_);
    }

    void cancel() override {
        cancelled_ = true;
        GSource* source = nullptr;
        {
            std::lock_guard lock(mutex_);
            source = source_ ? g_source_ref(source_) : nullptr;
        }
        if (source) {
            g_source_destroy(source);  // harmless when already destroyed
            g_source_unref(source);
        }
    }

    bool isCancelled() const override { return cancelled_; }

private:
    static gboolean dispatch(gpointer data) {
        auto self = *static_cast<std::shared_ptr<TimerItem>*>(data);
        if (self->cancelled_) return G_SOURCE_REMOVE;
        if (!self->repeating_) {
            // A one-shot runs its work once; keep the closure alive while it runs.
            auto work = std::move(self->work_);
            work();
            return G_SOURCE_REMOVE;
        }
        self->work_();
        return self->cancelled_ ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    }

    std::function<void()> work_;
    const bool repeating_;
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    GSource* source_ = nullptr;
};

}  // namespace

void GLibMainQueue::post(std::function<void()> work) {
    auto* heap = new std::function<void()>(std::move(work));
    // Default priority rather than idle priority: posted answers must not wait
    // behind redraws, and equal priorities keep posting order.
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

platform::WorkHandle GLibMainQueue::after(double seconds, std::function<void()> work) {
    auto item = std::make_shared<TimerItem>(std::move(work), false);
    item->start(toMilliseconds(seconds));
    return item;
}

platform::WorkHandle GLibMainQueue::every(double interval, std::function<void()> tick) {
    auto item = std::make_shared<TimerItem>(std::move(tick), true);
    // A zero interval would spin the loop; one millisecond is the finest GLib timer anyway.
    guint ms = toMilliseconds(interval);
    item->start(ms == 0 ? 1 : ms);
    return item;
}

}  // namespace nimbo::x11
