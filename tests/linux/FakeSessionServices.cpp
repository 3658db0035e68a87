#include "FakeSessionServices.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nimbo::test {
namespace {

constexpr const char* kLogindXml =
    "<node>"
    " <interface name='org.freedesktop.login1.Manager'>"
    "  <method name='GetSessionByPID'><arg type='u' direction='in'/><arg type='o' direction='out'/></method>"
    "  <signal name='PrepareForSleep'><arg type='b'/></signal>"
    " </interface>"
    " <interface name='org.freedesktop.login1.Session'>"
    "  <property name='LockedHint' type='b' access='read'/>"
    "  <property name='Active' type='b' access='read'/>"
    "  <signal name='Lock'/><signal name='Unlock'/>"
    " </interface>"
    "</node>";

constexpr const char* kScreenSaverXml =
    "<node><interface name='org.freedesktop.ScreenSaver'>"
    " <method name='GetActive'><arg type='b' direction='out'/></method>"
    " <signal name='ActiveChanged'><arg type='b'/></signal>"
    "</interface></node>";

GDBusInterfaceInfo* interfaceOf(const char* xml, int index) {
    // Parsed once, kept for the process.
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(xml, nullptr);
    return node->interfaces[index];
}

x11::GObjectPtr<GDBusConnection> connect(const char* address) {
    x11::GErrorPtr error;
    auto bus = x11::GObjectPtr<GDBusConnection>::adopt(g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, error.out()));
    if (!bus) throw std::runtime_error(std::string("cannot connect to a bus: ") + error->message);
    return bus;
}

void dieWithParent(gpointer) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
}

}  // namespace

FakeLogind& FakeLogind::start() {
    static FakeLogind* logind = [] {
        auto* made = new FakeLogind();
        made->serve();
        return made;
    }();
    return *logind;
}

void FakeLogind::serve() {
    auto launcher =
        x11::GObjectPtr<GSubprocessLauncher>::adopt(g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_STDOUT_PIPE));
    g_subprocess_launcher_set_child_setup(launcher.get(), dieWithParent, nullptr, nullptr);
    x11::GErrorPtr error;
    daemon_ = x11::GObjectPtr<GSubprocess>::adopt(g_subprocess_launcher_spawn(
        launcher.get(), error.out(), "dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr));
    if (!daemon_) throw std::runtime_error(std::string("cannot start dbus-daemon: ") + error->message);
    // The daemon prints its address once it listens.
    auto lines =
        x11::GObjectPtr<GDataInputStream>::adopt(g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon_.get())));
    const x11::GCharPtr address(g_data_input_stream_read_line(lines.get(), nullptr, nullptr, nullptr));
    if (!address) throw std::runtime_error("dbus-daemon printed no address");
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address.get(), 1);

    bus_ = connect(address.get());
    static const GDBusInterfaceVTable manager = {
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
           GDBusMethodInvocation* invocation, gpointer) {
            guint32 pid = 0;
            g_variant_get(parameters, "(u)", &pid);
            if (pid == static_cast<guint32>(getpid())) {
                g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", kSessionPath));
                return;
            }
            g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.login1.NoSessionForPID",
                                                       "not of a session");
        },
        nullptr,
        nullptr,
        {}};
    static const GDBusInterfaceVTable session = {nullptr, &FakeLogind::property, nullptr, {}};
    g_dbus_connection_register_object(bus_.get(), "/org/freedesktop/login1", interfaceOf(kLogindXml, 0), &manager, this,
                                      nullptr, nullptr);
    g_dbus_connection_register_object(bus_.get(), kSessionPath, interfaceOf(kLogindXml, 1), &session, this, nullptr,
                                      nullptr);
    ownName(bus_.get(), "org.freedesktop.login1");
}

GVariant* FakeLogind::property(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name, GError**,
                               gpointer data) {
    auto* self = static_cast<FakeLogind*>(data);
    ++self->propertyReads_;
    return g_variant_new_boolean(std::string_view(name) == "LockedHint" ? self->locked_ : self->active_);
}

void FakeLogind::emit(const char* path, const char* interface, const char* member, GVariant* parameters) {
    g_dbus_connection_emit_signal(bus_.get(), nullptr, path, interface, member, parameters, nullptr);
    g_dbus_connection_flush_sync(bus_.get(), nullptr, nullptr);
}

void FakeLogind::announce(const char* property, bool value) {
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&changed, "{sv}", property, g_variant_new_boolean(value));
    emit(kSessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
         g_variant_new("(sa{sv}as)", "org.freedesktop.login1.Session", &changed, nullptr));
}

void FakeLogind::setLocked(bool locked) {
    locked_ = locked;
    announce("LockedHint", locked);
}

void FakeLogind::setActive(bool active) {
    active_ = active;
    announce("Active", active);
}

void FakeLogind::prepareForSleep(bool starting) {
    emit("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
         g_variant_new("(b)", starting ? TRUE : FALSE));
}

// The bus daemon answers this itself, so a blocking call is safe here.
bool ownName(GDBusConnection* bus, const char* name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", name, 4), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    guint32 answer = 0;
    if (reply) g_variant_get(reply, "(u)", &answer);
    if (reply) g_variant_unref(reply);
    return answer == 1;
}

x11::GObjectPtr<GDBusConnection> ownSessionConnection() {
    const x11::GCharPtr address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    return connect(address.get());
}

void emitActiveChanged(GDBusConnection* connection, const char* interface, bool active) {
    // At the interface's usual path: "/org/gnome/ScreenSaver" for "org.gnome.ScreenSaver".
    std::string path = "/" + std::string(interface);
    std::replace(path.begin(), path.end(), '.', '/');
    g_dbus_connection_emit_signal(connection, nullptr, path.c_str(), interface, "ActiveChanged",
                                  g_variant_new("(b)", active ? TRUE : FALSE), nullptr);
    g_dbus_connection_flush_sync(connection, nullptr, nullptr);
}

FakeScreenSaver::FakeScreenSaver(bool active) : bus_(ownSessionConnection()), active_(active) {
    static const GDBusInterfaceVTable vtable = {
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
           GDBusMethodInvocation* invocation, gpointer data) {
            g_dbus_method_invocation_return_value(
                invocation, g_variant_new("(b)", static_cast<FakeScreenSaver*>(data)->active_ ? TRUE : FALSE));
        },
        nullptr,
        nullptr,
        {}};
    registration_ = g_dbus_connection_register_object(bus_.get(), "/org/freedesktop/ScreenSaver",
                                                      interfaceOf(kScreenSaverXml, 0), &vtable, this, nullptr, nullptr);
    ownName(bus_.get(), "org.freedesktop.ScreenSaver");
}

FakeScreenSaver::~FakeScreenSaver() {
    g_dbus_connection_unregister_object(bus_.get(), registration_);
    g_dbus_connection_close_sync(bus_.get(), nullptr, nullptr);
}

void FakeScreenSaver::setActive(bool active) {
    active_ = active;
    emitActiveChanged(bus_.get(), "org.freedesktop.ScreenSaver", active);
}

}  // namespace nimbo::test
