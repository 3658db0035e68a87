#include "platform/linux/dbus/SingleInstance.h"

#include <utility>

namespace nimbo::x11 {
namespace {

constexpr const char* busDaemon = "org.freedesktop.DBus";
constexpr const char* busDaemonPath = "/org/freedesktop/DBus";

// The bus daemon answers at once on any working session; the running shell
// answers "Reopen" from its main loop, which is never busy for long.
constexpr int busTimeoutMs = 5000;
constexpr int reopenTimeoutMs = 3000;

// RequestName's flag and answers, as the bus defines them.
constexpr guint32 doNotQueue = 4;
constexpr guint32 primaryOwner = 1;
constexpr guint32 alreadyOwner = 4;

GDBusInterfaceInfo* shellInterface() {
    // Parsed once and kept for the life of the process; GDBus checks calls against it,
    // so only a well-formed "Reopen" reaches the handler.
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
        "<node><interface name='dev.nimbo.Shell'><method name='Reopen'/></interface></node>", nullptr);
    return node->interfaces[0];
}

GVariant* callDaemon(GDBusConnection* bus, const char* method, GVariant* parameters, GError** error) {
    return g_dbus_connection_call_sync(bus, busDaemon, busDaemonPath, busDaemon, method, parameters,
                                       G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, busTimeoutMs, nullptr, error);
}

}  // namespace

SingleInstance::SingleInstance(std::function<void()> onReopen) : onReopen_(std::move(onReopen)) {}

SingleInstance::~SingleInstance() {
    release();
}

SingleInstance::Claim SingleInstance::claim() {
    // The owner may quit between our request and our call; its name is then free, so ask once more.
    bool ownerVanished = false;
    const Claim first = claimOnce(ownerVanished);
    if (!ownerVanished) return first;
    ownerVanished = false;
    return claimOnce(ownerVanished);
}

SingleInstance::Claim SingleInstance::claimOnce(bool& ownerVanished) {
    release();
    // A connection of our own, not the process-wide one: the name lives exactly as
    // long as it, and losing the bus doesn't end the process.
    GErrorPtr error;
    const GCharPtr address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, error.out()));
    if (!address) return Claim::unavailable;
    auto bus = GObjectPtr<GDBusConnection>::adopt(g_dbus_connection_new_for_address_sync(
        address.get(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, error.out()));
    if (!bus) return Claim::unavailable;

    // The object is there before the name, so a caller who sees the name finds the method.
    // Calls are handed to the thread-default context of this (the main) thread.
    static const GDBusInterfaceVTable vtable = {onMethodCall, nullptr, nullptr, {}};
    const guint registration =
        g_dbus_connection_register_object(bus.get(), objectPath, shellInterface(), &vtable, this, nullptr, error.out());
    if (!registration) {
        g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
        return Claim::unavailable;
    }

    GVariant* reply = callDaemon(bus.get(), "RequestName", g_variant_new("(su)", busName, doNotQueue), error.out());
    guint32 answer = 0;
    if (reply) {
        g_variant_get(reply, "(u)", &answer);
        g_variant_unref(reply);
    }
    if (answer == primaryOwner || answer == alreadyOwner) {
        bus_ = std::move(bus);
        registration_ = registration;
        return Claim::owned;
    }
    g_dbus_connection_unregister_object(bus.get(), registration);
    // A bus that won't let us hold the name can't keep us single either.
    if (!reply) {
        g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
        return Claim::unavailable;
    }

    GErrorPtr callError;
    GVariant* done =
        g_dbus_connection_call_sync(bus.get(), busName, objectPath, interfaceName, "Reopen", nullptr, nullptr,
                                    G_DBUS_CALL_FLAGS_NO_AUTO_START, reopenTimeoutMs, nullptr, callError.out());
    if (done) g_variant_unref(done);
    ownerVanished = callError && (g_error_matches(callError.get(), G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
                                  g_error_matches(callError.get(), G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER));
    g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
    // Any other failure (a hung owner, a time-out) still leaves a shell running: don't start a second.
    return Claim::handedOver;
}

void SingleInstance::release() {
    if (!bus_) return;
    g_dbus_connection_unregister_object(bus_.get(), registration_);
    registration_ = 0;
    // Released explicitly, with the daemon's answer awaited, so a launch right after
    // this one finds the name free rather than racing our disconnection.
    GVariant* reply = callDaemon(bus_.get(), "ReleaseName", g_variant_new("(s)", busName), nullptr);
    if (reply) g_variant_unref(reply);
    g_dbus_connection_close_sync(bus_.get(), nullptr, nullptr);
    bus_.reset();
}

void SingleInstance::onMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
                                  GDBusMethodInvocation* invocation, gpointer data) {
    // Answer first: the caller is a launch waiting to exit, whatever the shell does next.
    g_dbus_method_invocation_return_value(invocation, nullptr);
    static_cast<SingleInstance*>(data)->onReopen_();
}

}  // namespace nimbo::x11
