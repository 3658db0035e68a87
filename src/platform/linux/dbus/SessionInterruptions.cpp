#include "platform/linux/dbus/SessionInterruptions.h"

#include <gio/gio.h>

#include <memory>
#include <vector>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {
namespace {

struct Signal {
    GBusType bus;
    const char* sender;  // null: any, as screen savers differ in name and path
    const char* interface;
    const char* member;
};

constexpr Signal kSignals[] = {
    {G_BUS_TYPE_SYSTEM, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep"},
    {G_BUS_TYPE_SESSION, nullptr, "org.freedesktop.ScreenSaver", "ActiveChanged"},
    {G_BUS_TYPE_SESSION, nullptr, "org.gnome.ScreenSaver", "ActiveChanged"},
};

class Subscriptions final : public platform::WorkItem, public std::enable_shared_from_this<Subscriptions> {
public:
    explicit Subscriptions(std::function<void()> handler) : handler_(std::move(handler)) {}
    ~Subscriptions() override { cancel(); }
    Subscriptions(const Subscriptions&) = delete;
    Subscriptions& operator=(const Subscriptions&) = delete;

    void subscribe() {
        for (const auto& signal : kSignals) {
            GObjectPtr<GDBusConnection> bus =
                GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(signal.bus, nullptr, nullptr));
            if (!bus) continue;
            // Delivered in this thread's main context, the main loop's.
            const guint id = g_dbus_connection_signal_subscribe(
                bus.get(), signal.sender, signal.interface, signal.member, nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                &Subscriptions::onSignal, new std::weak_ptr<Subscriptions>(weak_from_this()),
                [](gpointer data) { delete static_cast<std::weak_ptr<Subscriptions>*>(data); });
            subscriptions_.push_back({std::move(bus), id});
        }
    }

    void cancel() override {
        cancelled_ = true;
        for (auto& [bus, id] : subscriptions_) g_dbus_connection_signal_unsubscribe(bus.get(), id);
        subscriptions_.clear();
    }
    bool isCancelled() const override { return cancelled_; }

private:
    // Every one of these signals carries one boolean: true as the interruption begins.
    static void onSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                         gpointer data) {
        auto self = static_cast<std::weak_ptr<Subscriptions>*>(data)->lock();
        if (!self || self->cancelled_ || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
        gboolean starting = FALSE;
        g_variant_get(parameters, "(b)", &starting);
        if (starting) self->handler_();
    }

    struct Subscription {
        GObjectPtr<GDBusConnection> bus;
        guint id;
    };
    std::function<void()> handler_;
    std::vector<Subscription> subscriptions_;
    bool cancelled_ = false;
};

}  // namespace

platform::WorkHandle watchSessionInterruptions(std::function<void()> handler) {
    auto subscriptions = std::make_shared<Subscriptions>(std::move(handler));
    subscriptions->subscribe();
    return subscriptions;
}

}  // namespace nimbo::x11
