#include "TestPanel.h"

#include <stdexcept>

#include "Desktop.h"
#include "FakeSessionServices.h"

namespace nimbo::test {
namespace {

constexpr const char* kWatcherXml =
    "<node><interface name='org.kde.StatusNotifierWatcher'>"
    " <method name='RegisterStatusNotifierItem'><arg type='s' direction='in'/></method>"
    " <method name='RegisterStatusNotifierHost'><arg type='s' direction='in'/></method>"
    " <property name='RegisteredStatusNotifierItems' type='as' access='read'/>"
    " <property name='IsStatusNotifierHostRegistered' type='b' access='read'/>"
    " <property name='ProtocolVersion' type='i' access='read'/>"
    " <signal name='StatusNotifierItemRegistered'><arg type='s'/></signal>"
    " <signal name='StatusNotifierItemUnregistered'><arg type='s'/></signal>"
    " <signal name='StatusNotifierHostRegistered'/>"
    "</interface></node>";

GDBusInterfaceInfo* watcherInterface() {
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
    return node->interfaces[0];
}

void flatten(GVariant* layout, int depth, std::vector<TestPanel::Entry>& into) {
    gint32 id = 0;
    GVariant* properties = nullptr;
    GVariant* children = nullptr;
    g_variant_get(layout, "(i@a{sv}@av)", &id, &properties, &children);
    if (depth >= 0) {
        TestPanel::Entry entry;
        entry.id = id;
        entry.depth = depth;
        const gchar* text = nullptr;
        if (g_variant_lookup(properties, "label", "&s", &text)) entry.label = text;
        gboolean enabled = TRUE;
        if (g_variant_lookup(properties, "enabled", "b", &enabled)) entry.enabled = enabled;
        gint32 toggle = -1;
        if (g_variant_lookup(properties, "toggle-state", "i", &toggle)) entry.toggleState = toggle;
        into.push_back(entry);
    }
    GVariantIter iter;
    g_variant_iter_init(&iter, children);
    while (GVariant* child = g_variant_iter_next_value(&iter)) {
        GVariant* inner = g_variant_get_variant(child);
        flatten(inner, depth + 1, into);
        g_variant_unref(inner);
        g_variant_unref(child);
    }
    g_variant_unref(properties);
    g_variant_unref(children);
}

}  // namespace

TestPanel::TestPanel() : bus_(ownSessionConnection()) {
    static const GDBusInterfaceVTable vtable = {
        [](GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* method, GVariant* parameters,
           GDBusMethodInvocation* invocation, gpointer data) {
            auto* self = static_cast<TestPanel*>(data);
            if (g_str_equal(method, "RegisterStatusNotifierItem")) {
                const gchar* service = nullptr;
                g_variant_get(parameters, "(&s)", &service);
                // Items name themselves by object path (ayatana) or by bus name (KDE).
                if (service[0] == '/') {
                    self->items_.push_back({sender, service});
                } else {
                    self->items_.push_back({service, "/StatusNotifierItem"});
                }
            }
            g_dbus_method_invocation_return_value(invocation, nullptr);
        },
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name, GError**,
           gpointer data) -> GVariant* {
            auto* self = static_cast<TestPanel*>(data);
            if (g_str_equal(name, "IsStatusNotifierHostRegistered")) return g_variant_new_boolean(TRUE);
            if (g_str_equal(name, "ProtocolVersion")) return g_variant_new_int32(0);
            GVariantBuilder list;
            g_variant_builder_init(&list, G_VARIANT_TYPE("as"));
            for (const auto& item : self->items_) g_variant_builder_add(&list, "s", (item.bus + item.path).c_str());
            return g_variant_builder_end(&list);
        },
        nullptr,
        {}};
    registration_ = g_dbus_connection_register_object(bus_.get(), "/StatusNotifierWatcher", watcherInterface(), &vtable,
                                                      this, nullptr, nullptr);
    if (!ownName(bus_.get(), "org.kde.StatusNotifierWatcher"))
        throw std::runtime_error("cannot own org.kde.StatusNotifierWatcher");
}

TestPanel::~TestPanel() {
    g_dbus_connection_unregister_object(bus_.get(), registration_);
    g_dbus_connection_close_sync(bus_.get(), nullptr, nullptr);
}

// The item may live in this very process, so the call is answered while the
// main loop runs.
GVariant* TestPanel::call(const std::string& bus, const std::string& path, const char* interface, const char* method,
                          GVariant* parameters, const GVariantType* reply) {
    struct Answer {
        bool done = false;
        GVariant* value = nullptr;
    } answer;
    g_dbus_connection_call(
        bus_.get(), bus.c_str(), path.c_str(), interface, method, parameters, reply, G_DBUS_CALL_FLAGS_NONE, 5000,
        nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* state = static_cast<Answer*>(data);
            state->value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
            state->done = true;
        },
        &answer);
    waitUntil([&] { return answer.done; }, 10.0);
    return answer.value;
}

std::optional<std::string> TestPanel::menuPath(const Item& item) {
    GVariant* reply = call(item.bus, item.path, "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", "org.kde.StatusNotifierItem", "Menu"), G_VARIANT_TYPE("(v)"));
    if (!reply) return std::nullopt;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    std::string path = g_variant_get_string(value, nullptr);
    g_variant_unref(value);
    g_variant_unref(reply);
    return path;
}

std::optional<std::vector<TestPanel::Entry>> TestPanel::menu(const Item& item) {
    const auto path = menuPath(item);
    if (!path) return std::nullopt;
    GVariant* reply =
        call(item.bus, *path, "com.canonical.dbusmenu", "GetLayout",
             g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)), G_VARIANT_TYPE("(u(ia{sv}av))"));
    if (!reply) return std::nullopt;
    guint32 revision = 0;
    GVariant* layout = nullptr;
    g_variant_get(reply, "(u@(ia{sv}av))", &revision, &layout);
    std::vector<Entry> entries;
    flatten(layout, -1, entries);
    g_variant_unref(layout);
    g_variant_unref(reply);
    return entries;
}

std::optional<TestPanel::Entry> TestPanel::find(const std::vector<Entry>& menu, const std::string& label) {
    for (const auto& entry : menu)
        if (entry.label == label) return entry;
    return std::nullopt;
}

bool TestPanel::click(const Item& item, int id) {
    const auto path = menuPath(item);
    if (!path) return false;
    GVariant* reply = call(item.bus, *path, "com.canonical.dbusmenu", "Event",
                           g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0U), nullptr);
    if (!reply) return false;
    g_variant_unref(reply);
    return true;
}

}  // namespace nimbo::test
