// Session interruptions as D-Bus announces them, emitted on the test's
// private session bus by a connection of the test's own.
#include <gtest/gtest.h>

#include <gio/gio.h>

#include "Desktop.h"

namespace nimbo::test {
namespace {

x11::GObjectPtr<GDBusConnection> ownSessionConnection() {
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    auto connection = x11::GObjectPtr<GDBusConnection>::adopt(g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr));
    g_free(address);
    return connection;
}

// Subscriptions add their match rules without waiting; a round trip on the
// shell's connection makes sure the bus has them before anything is emitted.
void settleSubscriptions() {
    auto bus = x11::GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    GVariant* reply =
        g_dbus_connection_call_sync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "GetId", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
}

void emitActiveChanged(GDBusConnection* connection, const char* path, const char* interface, bool active) {
    g_dbus_connection_emit_signal(connection, nullptr, path, interface, "ActiveChanged",
                                  g_variant_new("(b)", active ? TRUE : FALSE), nullptr);
    g_dbus_connection_flush_sync(connection, nullptr, nullptr);
}

TEST(SessionInterruptions, AScreenSaverComingOnInterruptsUntilCancelled) {
    auto sender = ownSessionConnection();
    ASSERT_TRUE(sender);
    int interruptions = 0, witnessed = 0;
    auto watch = desktop().keyTaps().observeSessionInterruptions([&] { ++interruptions; });
    auto witness = desktop().keyTaps().observeSessionInterruptions([&] { ++witnessed; });
    settleSubscriptions();

    emitActiveChanged(sender.get(), "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    ASSERT_TRUE(waitUntil([&] { return interruptions == 1; }));
    // The screen saver going away is no interruption; GNOME's says the same as freedesktop's.
    emitActiveChanged(sender.get(), "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", false);
    emitActiveChanged(sender.get(), "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", true);
    ASSERT_TRUE(waitUntil([&] { return witnessed == 2; }));
    EXPECT_EQ(interruptions, 2);

    watch->cancel();
    EXPECT_TRUE(watch->isCancelled());
    emitActiveChanged(sender.get(), "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", true);
    ASSERT_TRUE(waitUntil([&] { return witnessed == 3; }));
    EXPECT_EQ(interruptions, 2);
    witness->cancel();
}

}  // namespace
}  // namespace nimbo::test
