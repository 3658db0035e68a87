#include "platform/linux/dbus/ScreenSavers.h"

#include <algorithm>
#include <utility>

namespace nimbo::x11 {
namespace {

struct Saver {
    const char* name;
    const char* path;
    const char* interface;
};

// Signals are taken from any sender and path: screen savers differ in both.
// The start-up question goes to the usual name and path of each.
constexpr Saver kSavers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
};
constexpr int kCallTimeoutMs = 5000;

struct Context {
    std::weak_ptr<ScreenSavers> owner;
    std::size_t saver;
};

}  // namespace

ScreenSavers::ScreenSavers(std::function<void()> cameOn)
    : cameOn_(std::move(cameOn)), cancellable_(GObjectPtr<GCancellable>::adopt(g_cancellable_new())) {}

ScreenSavers::~ScreenSavers() {
    g_cancellable_cancel(cancellable_.get());
    for (guint id : subscriptions_) g_dbus_connection_signal_unsubscribe(bus_.get(), id);
}

std::shared_ptr<ScreenSavers> ScreenSavers::watch(std::function<void()> cameOn) {
    std::shared_ptr<ScreenSavers> savers(new ScreenSavers(std::move(cameOn)));
    savers->start();
    return savers;
}

bool ScreenSavers::active() const {
    return std::any_of(active_.begin(), active_.end(), [](bool on) { return on; });
}

void ScreenSavers::start() {
    g_bus_get(
        G_BUS_TYPE_SESSION, cancellable_.get(),
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::weak_ptr<ScreenSavers>> weak(static_cast<std::weak_ptr<ScreenSavers>*>(data));
            auto bus = GObjectPtr<GDBusConnection>::adopt(g_bus_get_finish(result, nullptr));
            if (auto self = weak->lock(); self && bus) self->onBus(bus.get());
        },
        new std::weak_ptr<ScreenSavers>(weak_from_this()));
}

void ScreenSavers::onBus(GDBusConnection* bus) {
    bus_ = GObjectPtr<GDBusConnection>::retain(bus);
    for (std::size_t i = 0; i < std::size(kSavers); ++i) {
        // Subscribed before asking, so no change falls between the two.
        subscriptions_.push_back(g_dbus_connection_signal_subscribe(
            bus, nullptr, kSavers[i].interface, "ActiveChanged", nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
               gpointer data) {
                const auto* context = static_cast<Context*>(data);
                auto self = context->owner.lock();
                if (!self || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
                gboolean active = FALSE;
                g_variant_get(parameters, "(b)", &active);
                self->set(context->saver, active, true);
            },
            new Context{weak_from_this(), i}, [](gpointer data) { delete static_cast<Context*>(data); }));

        g_dbus_connection_call(
            bus, kSavers[i].name, kSavers[i].path, kSavers[i].interface, "GetActive", nullptr, G_VARIANT_TYPE("(b)"),
            G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, cancellable_.get(),
            [](GObject* source, GAsyncResult* result, gpointer data) {
                std::unique_ptr<Context> context(static_cast<Context*>(data));
                GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
                if (!reply) return;  // no such screen saver here
                gboolean active = FALSE;
                g_variant_get(reply, "(b)", &active);
                g_variant_unref(reply);
                if (auto self = context->owner.lock()) self->set(context->saver, active, false);
            },
            new Context{weak_from_this(), i});
    }
}

void ScreenSavers::set(std::size_t saver, bool active, bool announced) {
    active_[saver] = active;
    // Every announcement counts, even of one already on: a second
    // interruption does no harm, a missed one leaves a hold stuck.
    if (active && announced) cameOn_();
}

}  // namespace nimbo::x11
