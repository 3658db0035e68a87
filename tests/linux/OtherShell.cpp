#include "OtherShell.h"

#include <utility>

#include "FakeSessionServices.h"

namespace nimbo::test {
namespace {

constexpr const char* shellName = "dev.nimbo.Shell";

GVariant* callDaemon(GDBusConnection* bus, const char* method, GVariant* parameters, const char* replyType) {
    return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                       method, parameters, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, 5000,
                                       nullptr, nullptr);
}

}  // namespace

OtherShell::OtherShell(ReopenHandler onReopen) : onReopen_(std::move(onReopen)), thread_([this] { serve(); }) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return started_; });
}

// Quits, giving the name back as its connection closes.
OtherShell::~OtherShell() {
    g_main_context_invoke(
        context_,
        [](gpointer loop) -> gboolean {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop_);
    thread_.join();
}

void OtherShell::onMethodCall(GDBusConnection* bus, const gchar* sender, const gchar*, const gchar*, const gchar*,
                              GVariant*, GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<OtherShell*>(data);
    ++self->reopens_;
    int callerPid = 0;
    if (GVariant* pid = callDaemon(bus, "GetConnectionUnixProcessID", g_variant_new("(s)", sender), "(u)")) {
        guint32 value = 0;
        g_variant_get(pid, "(u)", &value);
        callerPid = static_cast<int>(value);
        g_variant_unref(pid);
    }
    if (self->onReopen_(callerPid)) {
        g_dbus_method_invocation_return_value(invocation, nullptr);
        return;
    }
    if (GVariant* released = callDaemon(bus, "ReleaseName", g_variant_new("(s)", shellName), "(u)"))
        g_variant_unref(released);
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.NameHasNoOwner",
                                               "the shell has quit");
}

void OtherShell::serve() {
    context_ = g_main_context_new();
    loop_ = g_main_loop_new(context_, FALSE);
    g_main_context_push_thread_default(context_);
    {
        // Made here, so its calls are dispatched on this thread.
        auto bus = ownSessionConnection();
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
            "<node><interface name='dev.nimbo.Shell'><method name='Reopen'/></interface></node>", nullptr);
        static const GDBusInterfaceVTable vtable = {onMethodCall, nullptr, nullptr, {}};
        const guint registration = g_dbus_connection_register_object(bus.get(), "/dev/nimbo/Shell", node->interfaces[0],
                                                                     &vtable, this, nullptr, nullptr);
        owns_ = ownName(bus.get(), shellName);
        {
            std::lock_guard lock(mutex_);
            started_ = true;
        }
        ready_.notify_all();
        g_main_loop_run(loop_);
        g_dbus_connection_unregister_object(bus.get(), registration);
        g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
        g_dbus_node_info_unref(node);
    }
    g_main_context_pop_thread_default(context_);
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

}  // namespace nimbo::test
