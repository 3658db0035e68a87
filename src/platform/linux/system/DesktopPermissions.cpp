#include "platform/linux/system/DesktopPermissions.h"

#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <gdk/gdkx.h>
#include <gio/gio.h>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {
namespace {

constexpr int kBusTimeoutMs = 500;

Display* xDisplay() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return nullptr;
    return GDK_DISPLAY_XDISPLAY(display);
}

}  // namespace

bool DesktopPermissions::screenCaptureGranted() const {
    Display* display = xDisplay();
    if (!display) return false;
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gdkDisplay);
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, 1, 1, AllPlanes, ZPixmap);
    XSync(display, False);
    const bool failed = gdk_x11_display_error_trap_pop(gdkDisplay) != 0;
    if (image) XDestroyImage(image);
    return image && !failed;
}

bool DesktopPermissions::accessibilityTrusted() const {
    GErrorPtr error;
    GObjectPtr<GDBusConnection> bus =
        GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, error.out()));
    if (!bus) return false;
    GErrorPtr callError;
    GVariant* reply = g_dbus_connection_call_sync(bus.get(), "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                                  "GetAddress", nullptr, G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE,
                                                  kBusTimeoutMs, nullptr, callError.out());
    if (!reply) return false;
    const gchar* address = nullptr;
    g_variant_get(reply, "(&s)", &address);
    const bool reachable = address && address[0] != '\0';
    g_variant_unref(reply);
    return reachable;
}

bool DesktopPermissions::listenEventGranted() const {
    // A connection of its own: GDK already agreed on an XInput version on its
    // connection, and asking again there with another version is an error.
    const char* name = xDisplay() ? DisplayString(xDisplay()) : nullptr;
    Display* display = XOpenDisplay(name);
    if (!display) return false;
    int opcode = 0, event = 0, error = 0;
    bool granted = false;
    if (XQueryExtension(display, "XInputExtension", &opcode, &event, &error)) {
        int major = 2, minor = 0;
        granted = XIQueryVersion(display, &major, &minor) == Success && major >= 2;
    }
    XCloseDisplay(display);
    return granted;
}

}  // namespace nimbo::x11
