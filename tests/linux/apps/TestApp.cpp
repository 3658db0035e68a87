// A small GTK 3 application with the controls a user asks about: two buttons,
// an entry with a placeholder, a check box, labels, a list, a menu bar and
// words drawn where only the picture shows them.
// The desktop tests and the walk benchmark read it through the accessibility
// bus as they would any other application.
//
//   nimbo-test-app [--at X,Y] [--busy N] [--text TEXT]
//   nimbo-test-app --garbage
//   nimbo-test-app --plain
//
// --at places the window's top-left corner; --busy adds a grid of N more
// buttons and labels, a window as crowded as a settings dialog gets; --text
// fills the entry. --garbage shows no window: it joins the accessibility bus
// as an application whose every answer is malformed, cyclic or of the wrong
// type. --plain shows none either: it joins as an application of a toolkit
// that answers no collection queries, with an active window holding a
// focused field, and a field in a hidden panel that still says it is focused.
// Prints where the Save button, the entry and the drawn words are
// ("placed Save X,Y WxH", "placed entry ...", "placed drawn ...") and
// "ready" on standard output once the window is on screen, and what is done
// to it: "clicked LABEL" when a button is clicked, "toggled LABEL on|off" for
// the check box, "focused entry", "entry text TEXT" after each edit and
// "entry selection START,END" (in characters; equal when it is only the
// caret) whenever the caret or selection moves.
#include <gio/gio.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

GtkWidget* menu(GtkWidget* bar, const char* title, std::initializer_list<const char*> items) {
    GtkWidget* top = gtk_menu_item_new_with_label(title);
    GtkWidget* inner = gtk_menu_new();
    for (const char* item : items) gtk_menu_shell_append(GTK_MENU_SHELL(inner), gtk_menu_item_new_with_label(item));
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), inner);
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
    return top;
}

GtkWidget* busyGrid(int count) {
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_column_spacing(GTK_GRID(grid), 2);
    for (int i = 0; i < count; ++i) {
        std::string name = "Item " + std::to_string(i + 1);
        GtkWidget* widget = i % 2 == 0 ? gtk_button_new_with_label(name.c_str()) : gtk_label_new(name.c_str());
        gtk_grid_attach(GTK_GRID(grid), widget, i % 16, i / 16, 1, 1);
    }
    return grid;
}

void clicked(GtkButton* button, gpointer) {
    std::printf("clicked %s\n", gtk_button_get_label(button));
    std::fflush(stdout);
}

void toggled(GtkToggleButton* box, gpointer) {
    std::printf("toggled %s %s\n", gtk_button_get_label(GTK_BUTTON(box)),
                gtk_toggle_button_get_active(box) ? "on" : "off");
    std::fflush(stdout);
}

void edited(GtkEditable* entry, gpointer) {
    std::printf("entry text %s\n", gtk_entry_get_text(GTK_ENTRY(entry)));
    std::fflush(stdout);
}

void caretMoved(GObject* entry, GParamSpec*, gpointer) {
    int start = 0, end = 0;
    if (!gtk_editable_get_selection_bounds(GTK_EDITABLE(entry), &start, &end)) {
        start = end = gtk_editable_get_position(GTK_EDITABLE(entry));
    }
    std::printf("entry selection %d,%d\n", start, end);
    std::fflush(stdout);
}

gboolean focused(GtkWidget*, GdkEvent*, gpointer) {
    std::printf("focused entry\n");
    std::fflush(stdout);
    return FALSE;
}

GtkWidget* button(const char* label) {
    GtkWidget* widget = gtk_button_new_with_label(label);
    g_signal_connect(widget, "clicked", G_CALLBACK(clicked), nullptr);
    return widget;
}

// The widgets whose place on screen the tests compare with what the shell found.
struct Placed {
    const char* name = "";
    GtkWidget* widget = nullptr;
};
Placed placed[3];

// "placed NAME X,Y WxH": the widget's allocation in root coordinates.
void printPlace(const Placed& one) {
    GtkWidget* top = gtk_widget_get_toplevel(one.widget);
    int x = 0, y = 0, originX = 0, originY = 0;
    gtk_widget_translate_coordinates(one.widget, top, 0, 0, &x, &y);
    gdk_window_get_origin(gtk_widget_get_window(top), &originX, &originY);
    std::printf("placed %s %d,%d %dx%d\n", one.name, originX + x, originY + y,
                gtk_widget_get_allocated_width(one.widget), gtk_widget_get_allocated_height(one.widget));
}

// Words only the picture shows: drawn, not a widget's text, as a canvas or an
// image of text is.
gboolean drawWords(GtkWidget*, cairo_t* cairo, gpointer) {
    cairo_set_source_rgb(cairo, 0, 0, 0);
    cairo_select_font_face(cairo, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, 15);
    cairo_move_to(cairo, 4, 18);
    cairo_show_text(cairo, "Last backup three days ago");
    return FALSE;
}

gboolean announce(GtkWidget*, GdkEvent*, gpointer) {
    for (const Placed& one : placed) {
        if (one.widget) printPlace(one);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return FALSE;
}

constexpr const char* kRoot = "/org/a11y/atspi/accessible/root";
constexpr const char* kInner = "/org/a11y/atspi/accessible/1";
constexpr const char* kUnreadable = "/org/a11y/atspi/accessible/2";

// The answer to one call: the root is an application whose children are
// itself, an element that is all wrong and one whose role is not a number;
// the wrong one contains itself 500 times, and names applications that
// don't exist.
GVariant* garbageFor(GDBusConnection* bus, const std::string& path, const std::string& method) {
    const char* self = g_dbus_connection_get_unique_name(bus);
    const bool root = path == kRoot;
    if (method == "GetRole") {
        if (path == kUnreadable) return g_variant_new("(s)", "button");
        return g_variant_new("(u)", root ? 75U : 12345678U);
    }
    if (method == "GetState") {
        GVariantBuilder words;
        g_variant_builder_init(&words, G_VARIANT_TYPE("au"));
        for (int i = 0; i < 40; ++i) g_variant_builder_add(&words, "u", 0xFFFFFFFFU);
        return g_variant_new("(au)", &words);
    }
    if (method == "GetAll") {
        GVariantBuilder all;
        g_variant_builder_init(&all, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&all, "{sv}", "Name", g_variant_new_int32(42));
        g_variant_builder_add(&all, "{sv}", "ChildCount", g_variant_new_string("many"));
        g_variant_builder_add(&all, "{sv}", "Parent", g_variant_new("(so)", "", "/"));
        g_variant_builder_add(&all, "{sv}", "Attributes", g_variant_new_variant(g_variant_new_string("x")));
        return g_variant_new("(a{sv})", &all);
    }
    if (method == "GetChildren" || method == "GetMatches") {
        GVariantBuilder children;
        g_variant_builder_init(&children, G_VARIANT_TYPE("a(so)"));
        if (root) {
            g_variant_builder_add(&children, "(so)", self, kRoot);
            g_variant_builder_add(&children, "(so)", self, kInner);
            g_variant_builder_add(&children, "(so)", self, kUnreadable);
        } else {
            for (int i = 0; i < 500; ++i) g_variant_builder_add(&children, "(so)", self, kInner);
            g_variant_builder_add(&children, "(so)", "not a bus name", "/x");
            g_variant_builder_add(&children, "(so)", ":1.99999", kRoot);
        }
        return g_variant_new("(a(so))", &children);
    }
    if (method == "GetExtents") return g_variant_new("((iiii))", -5, -5, -1, 7);
    if (method == "GetAccessibleAtPoint") return g_variant_new("((so))", self, kInner);
    if (method == "GetText") return g_variant_new("(i)", 5);
    if (method == "GetApplicationBusAddress") return g_variant_new("(s)", "garbage:address=nowhere");
    return nullptr;
}

GDBusMessage* answerWithGarbage(GDBusConnection* bus, GDBusMessage* message, gboolean incoming, gpointer) {
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL) return message;
    GVariant* body = garbageFor(bus, g_dbus_message_get_path(message), g_dbus_message_get_member(message));
    GDBusMessage* reply = body ? g_dbus_message_new_method_reply(message)
                               : g_dbus_message_new_method_error(message, "org.a11y.Garbage", "no");
    if (body) g_dbus_message_set_body(reply, body);
    g_dbus_connection_send_message(bus, reply, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
    g_object_unref(reply);
    g_object_unref(message);
    return nullptr;
}

// Joins the accessibility bus as an application whose calls `answer` takes.
int joinAsApplication(GDBusMessageFilterFunction answer) {
    GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GVariant* address =
        g_dbus_connection_call_sync(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", nullptr,
                                    G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (!address) return 1;
    const gchar* text = nullptr;
    g_variant_get(address, "(&s)", &text);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        text,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (!bus) return 1;
    // The registry asks the newcomer about itself before it lists it, so
    // the answers start before the registration.
    g_dbus_connection_add_filter(bus, answer, nullptr, nullptr);
    GVariant* embedded =
        g_dbus_connection_call_sync(bus, "org.a11y.atspi.Registry", kRoot, "org.a11y.atspi.Socket", "Embed",
                                    g_variant_new("((so))", g_dbus_connection_get_unique_name(bus), kRoot), nullptr,
                                    G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (embedded) g_variant_unref(embedded);
    std::printf("ready\n");
    std::fflush(stdout);
    g_main_loop_run(g_main_loop_new(nullptr, FALSE));
    return 0;
}

// The plain toolkit's tree. Roles and states are AT-SPI's numbers: frame
// 23, panel 39, push button 43, application 75, entry 79; active 1,
// focusable 11, focused 12, showing 25.
struct PlainObject {
    const char* path;
    guint32 role;
    const char* name;
    guint32 states;
    std::vector<const char*> children;
};
constexpr guint32 bit(int state) {
    return 1U << state;
}
const std::vector<PlainObject> kPlain{
    {kRoot, 75, "plain", 0, {"/plain/window"}},
    // The hidden panel comes first, so a search that looked inside it would find its field first.
    {"/plain/window", 23, "Plain window", bit(1) | bit(25), {"/plain/hidden", "/plain/row"}},
    {"/plain/hidden", 39, "", 0, {"/plain/hidden/field"}},
    {"/plain/hidden/field", 79, "Hidden field", bit(11) | bit(12), {}},
    {"/plain/row", 39, "", bit(25), {"/plain/row/button", "/plain/row/field"}},
    {"/plain/row/button", 43, "Go", bit(11) | bit(25), {}},
    {"/plain/row/field", 79, "Shown field", bit(11) | bit(12) | bit(25), {}},
};

GVariant* plainAnswer(GDBusConnection* bus, const std::string& path, const std::string& method) {
    auto found = std::find_if(kPlain.begin(), kPlain.end(), [&](const PlainObject& one) { return one.path == path; });
    if (found == kPlain.end()) return nullptr;
    const PlainObject& object = *found;
    if (method == "GetRole") return g_variant_new("(u)", object.role);
    if (method == "GetState") {
        GVariantBuilder words;
        g_variant_builder_init(&words, G_VARIANT_TYPE("au"));
        g_variant_builder_add(&words, "u", object.states);
        g_variant_builder_add(&words, "u", 0U);
        return g_variant_new("(au)", &words);
    }
    if (method == "GetChildren") {
        GVariantBuilder children;
        g_variant_builder_init(&children, G_VARIANT_TYPE("a(so)"));
        for (const char* child : object.children) {
            g_variant_builder_add(&children, "(so)", g_dbus_connection_get_unique_name(bus), child);
        }
        return g_variant_new("(a(so))", &children);
    }
    if (method == "GetAll") {
        GVariantBuilder all;
        g_variant_builder_init(&all, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&all, "{sv}", "Name", g_variant_new_string(object.name));
        g_variant_builder_add(&all, "{sv}", "ChildCount",
                              g_variant_new_int32(static_cast<gint32>(object.children.size())));
        return g_variant_new("(a{sv})", &all);
    }
    if (method == "GetExtents") return g_variant_new("((iiii))", 0, 0, 100, 20);
    if (method == "GetInterfaces") {
        const char* interfaces[] = {"org.a11y.atspi.Accessible", "org.a11y.atspi.Component"};
        return g_variant_new("(^as)", interfaces);
    }
    return nullptr;
}

GDBusMessage* answerPlainly(GDBusConnection* bus, GDBusMessage* message, gboolean incoming, gpointer) {
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL) return message;
    GVariant* body = plainAnswer(bus, g_dbus_message_get_path(message), g_dbus_message_get_member(message));
    GDBusMessage* reply =
        body ? g_dbus_message_new_method_reply(message)
             : g_dbus_message_new_method_error(message, "org.freedesktop.DBus.Error.UnknownMethod", "not here");
    if (body) g_dbus_message_set_body(reply, body);
    g_dbus_connection_send_message(bus, reply, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
    g_object_unref(reply);
    g_object_unref(message);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--garbage") == 0) return joinAsApplication(answerWithGarbage);
        if (std::strcmp(argv[i], "--plain") == 0) return joinAsApplication(answerPlainly);
    }
    gtk_init(&argc, &argv);
    int x = 100, y = 100, busy = 0;
    const char* text = "";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--at") == 0) std::sscanf(argv[i + 1], "%d,%d", &x, &y);
        if (std::strcmp(argv[i], "--busy") == 0) busy = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--text") == 0) text = argv[i + 1];
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Nimbo Test App");
    gtk_window_move(GTK_WINDOW(window), x, y);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(announce), nullptr);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_add(GTK_CONTAINER(window), column);

    GtkWidget* bar = gtk_menu_bar_new();
    menu(bar, "File", {"New", "Open", "Quit"});
    menu(bar, "Edit", {"Copy", "Paste"});
    gtk_box_pack_start(GTK_BOX(column), bar, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(column), gtk_label_new("Account settings"), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), gtk_label_new("Signed in as Ada Lovelace"), FALSE, FALSE, 0);

    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(entry), "Email address");
    gtk_entry_set_text(GTK_ENTRY(entry), text);
    g_signal_connect(entry, "changed", G_CALLBACK(edited), nullptr);
    g_signal_connect(entry, "notify::cursor-position", G_CALLBACK(caretMoved), nullptr);
    g_signal_connect(entry, "notify::selection-bound", G_CALLBACK(caretMoved), nullptr);
    g_signal_connect(entry, "focus-in-event", G_CALLBACK(focused), nullptr);
    gtk_box_pack_start(GTK_BOX(column), entry, FALSE, FALSE, 0);
    placed[1] = {"entry", entry};

    GtkWidget* remember = gtk_check_button_new_with_label("Remember me");
    g_signal_connect(remember, "toggled", G_CALLBACK(toggled), nullptr);
    gtk_box_pack_start(GTK_BOX(column), remember, FALSE, FALSE, 0);

    GtkWidget* drawn = gtk_drawing_area_new();
    gtk_widget_set_size_request(drawn, 260, 24);
    g_signal_connect(drawn, "draw", G_CALLBACK(drawWords), nullptr);
    gtk_box_pack_start(GTK_BOX(column), drawn, FALSE, FALSE, 0);
    placed[2] = {"drawn", drawn};

    GtkWidget* list = gtk_list_box_new();
    for (const char* row : {"Alpha", "Beta", "Gamma"}) gtk_container_add(GTK_CONTAINER(list), gtk_label_new(row));
    gtk_box_pack_start(GTK_BOX(column), list, FALSE, FALSE, 0);

    GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    GtkWidget* save = button("Save");
    placed[0] = {"Save", save};
    gtk_box_pack_start(GTK_BOX(buttons), save, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(buttons), button("Delete account"), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);

    if (busy > 0) gtk_box_pack_start(GTK_BOX(column), busyGrid(busy), FALSE, FALSE, 0);

    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
