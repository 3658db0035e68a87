#include "platform/linux/dbus/LoginSession.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <utility>

namespace nimbo::x11 {
namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
// logind answers from memory; a hung one must not leave calls open for long.
constexpr int kCallTimeoutMs = 5000;

struct PendingCall {
    std::weak_ptr<LoginSession> owner;
    std::function<void(GVariant*)> done;
};

}  // namespace

LoginSession::LoginSession(std::function<void()> interrupted)
    : interrupted_(std::move(interrupted)), cancellable_(GObjectPtr<GCancellable>::adopt(g_cancellable_new())) {}

LoginSession::~LoginSession() {
    g_cancellable_cancel(cancellable_.get());
    for (guint id : subscriptions_) g_dbus_connection_signal_unsubscribe(bus_.get(), id);
}

std::shared_ptr<LoginSession> LoginSession::watch(std::function<void()> interrupted) {
    std::shared_ptr<LoginSession> session(new LoginSession(std::move(interrupted)));
    session->start();
    return session;
}

void LoginSession::start() {
    // Connecting may take a moment, so nothing waits for it on the main loop.
    g_bus_get(
        G_BUS_TYPE_SYSTEM, cancellable_.get(),
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::weak_ptr<LoginSession>> weak(static_cast<std::weak_ptr<LoginSession>*>(data));
            auto bus = GObjectPtr<GDBusConnection>::adopt(g_bus_get_finish(result, nullptr));
            if (auto self = weak->lock(); self && bus) self->onBus(bus.get());
        },
        new std::weak_ptr<LoginSession>(weak_from_this()));
}

void LoginSession::onBus(GDBusConnection* bus) {
    bus_ = GObjectPtr<GDBusConnection>::retain(bus);
    subscribe(kManagerPath, kManager, "PrepareForSleep", nullptr);
    findSession();
}

void LoginSession::findSession() {
    const auto found = [this](GVariant* reply) {
        const char* path = nullptr;
        g_variant_get(reply, "(&o)", &path);
        onSession(path);
    };
    call(kManagerPath, kManager, "GetSessionByPID", g_variant_new("(u)", static_cast<guint32>(getpid())), "(o)",
         [this, found](GVariant* reply) {
             if (reply) return found(reply);
             // Started outside the session's processes (by a user service, say).
             const char* id = std::getenv("XDG_SESSION_ID");
             if (id && *id)
                 call(kManagerPath, kManager, "GetSession", g_variant_new("(s)", id), "(o)", [found](GVariant* byId) {
                     if (byId) found(byId);
                 });
         });
}

void LoginSession::onSession(const std::string& path) {
    sessionPath_ = path;
    // Subscribed before reading, so no change falls between the two.
    subscribe(sessionPath_.c_str(), kProperties, "PropertiesChanged", kSession);
    subscribe(sessionPath_.c_str(), kSession, "Lock", nullptr);
    subscribe(sessionPath_.c_str(), kSession, "Unlock", nullptr);
    readAll();
}

void LoginSession::readAll() {
    call(sessionPath_.c_str(), kProperties, "GetAll", g_variant_new("(s)", kSession), "(a{sv})",
         [this](GVariant* reply) {
             if (!reply) return;
             GVariant* properties = g_variant_get_child_value(reply, 0);
             readProperties(properties);
             g_variant_unref(properties);
         });
}

void LoginSession::subscribe(const char* path, const char* interface, const char* member, const char* arg0) {
    const guint id = g_dbus_connection_signal_subscribe(
        bus_.get(), kLogind, interface, member, path, arg0, G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar* signalInterface, const gchar* signalMember,
           GVariant* parameters, gpointer data) {
            if (auto self = static_cast<std::weak_ptr<LoginSession>*>(data)->lock())
                self->onSignal(signalInterface, signalMember, parameters);
        },
        new std::weak_ptr<LoginSession>(weak_from_this()),
        [](gpointer data) { delete static_cast<std::weak_ptr<LoginSession>*>(data); });
    subscriptions_.push_back(id);
}

void LoginSession::onSignal(const char* interface, const char* member, GVariant* parameters) {
    const std::string_view name = member;
    if (name == "PrepareForSleep") {
        gboolean starting = FALSE;
        if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) g_variant_get(parameters, "(b)", &starting);
        if (starting) interrupted_();
    } else if (name == "Lock" || name == "Unlock") {
        setLocked(name == "Lock");
    } else if (std::string_view(interface) == kProperties &&
               g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)"))) {
        GVariant* changed = g_variant_get_child_value(parameters, 1);
        readProperties(changed);
        g_variant_unref(changed);
        // Properties sent without their value are read again.
        GVariant* invalidated = g_variant_get_child_value(parameters, 2);
        if (g_variant_n_children(invalidated) > 0) readAll();
        g_variant_unref(invalidated);
    }
}

void LoginSession::readProperties(GVariant* properties) {
    gboolean value = FALSE;
    if (g_variant_lookup(properties, "LockedHint", "b", &value)) setLocked(value);
    if (g_variant_lookup(properties, "Active", "b", &value)) {
        const bool switchedAway = active_ && !value;
        active_ = value;
        if (switchedAway) interrupted_();
    }
}

void LoginSession::setLocked(bool locked) {
    if (locked == locked_) return;
    locked_ = locked;
    if (locked) interrupted_();
}

void LoginSession::call(const char* path, const char* interface, const char* method, GVariant* parameters,
                        const char* replyType, std::function<void(GVariant*)> done) {
    g_dbus_connection_call(
        bus_.get(), kLogind, path, interface, method, parameters, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
        kCallTimeoutMs, cancellable_.get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<PendingCall> pending(static_cast<PendingCall*>(data));
            GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
            // A session watch that has gone away cancelled its calls; nothing is left to tell.
            if (auto self = pending->owner.lock()) pending->done(reply);
            if (reply) g_variant_unref(reply);
        },
        new PendingCall{weak_from_this(), std::move(done)});
}

}  // namespace nimbo::x11
