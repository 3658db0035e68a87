// A small GTK 3 editor: a menu bar with shortcuts, nested and disabled items
// and a recent-files submenu, over a document that is far longer than the
// window. The desktop tests read it, scroll it and ask about its menus and
// its file through the accessibility bus, as they would any other editor.
//
//   nimbo-test-editor [--at X,Y] [--size WxH] [--file PATH]
//
// Without --file the window shows a text of 40 screens of 20 numbered lines,
// "screen S line L: words...", each line's words its own; line 10 of screen
// 30 reads "screen 30 line 10: the violet heron counts thirty lanterns".
// --file opens PATH and keeps it open while the editor runs, as editors and
// viewers do: a text file is shown as text, a picture as a picture scaled to
// the window, anything else (a PDF) by its name only. The title is then
// "NAME — nimbo-test-editor".
//
// Standard output: "placed text X,Y WxH" (the scrolled area in root
// coordinates) and "heron at Y HEIGHT" (that line in the document's pixels)
// before "ready"; then "scrolled VALUE of UPPER page PAGE top LINE: TEXT"
// whenever the view moves or its size changes, and on SIGUSR1 (LINE is the
// 1-based number of the first line shown whole, TEXT what it says); "menu
// PATH" when a menu item is chosen ("menu File/Save").
#include <fcntl.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kScreens = 40;
constexpr int kLinesPerScreen = 20;
constexpr int kHeronScreen = 30;
constexpr int kHeronLine = 10;
constexpr const char* kHeron = "the violet heron counts thirty lanterns";

// Words for the other lines: every line gets a combination no other line has.
constexpr const char* kAdjectives[] = {"amber",  "brisk", "calm",  "dusty", "eager", "fabled", "gentle",
                                       "hollow", "icy",   "jolly", "keen",  "lucid", "mellow", "narrow",
                                       "olive",  "proud", "quiet", "rusty", "sunny", "tidy"};
constexpr const char* kNouns[] = {"anchor",  "barrel", "candle", "dolphin", "engine", "falcon", "garden",
                                  "harbor",  "island", "jacket", "kettle",  "ladder", "marble", "needle",
                                  "orchard", "pepper", "quarry", "ribbon",  "saddle", "tunnel"};
constexpr const char* kVerbs[] = {"gathers", "follows", "paints", "carries", "mends", "weighs", "hides"};

std::string lineText(int screen, int line) {
    std::string text = "screen " + std::to_string(screen) + " line " + std::to_string(line) + ": ";
    if (screen == kHeronScreen && line == kHeronLine) return text + kHeron;
    const int n = (screen - 1) * kLinesPerScreen + (line - 1);
    text += std::string("the ") + kAdjectives[n % 20] + " " + kNouns[(n / 20) % 20] + " " + kVerbs[n % 7] + " a " +
            kAdjectives[(n / 7) % 20] + " " + kNouns[(n * 3 + 1) % 20] + " near the " + kNouns[(n / 3) % 20] +
            " of the " + kAdjectives[(n / 11 + 5) % 20] + " " + kNouns[(n + 7) % 20];
    return text;
}

std::string longText() {
    std::string text;
    for (int screen = 1; screen <= kScreens; ++screen) {
        for (int line = 1; line <= kLinesPerScreen; ++line) text += lineText(screen, line) + "\n";
    }
    return text;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

GtkWidget* textView = nullptr;
GtkAdjustment* vertical = nullptr;

void reportScroll() {
    int top = 0;
    std::string words;
    if (textView) {
        // The first line shown whole.
        const int value = static_cast<int>(gtk_adjustment_get_value(vertical));
        GtkTextIter at;
        int lineY = 0;
        gtk_text_view_get_line_at_y(GTK_TEXT_VIEW(textView), &at, value, &lineY);
        if (lineY < value) gtk_text_iter_forward_line(&at);
        top = gtk_text_iter_get_line(&at) + 1;
        GtkTextIter end = at;
        if (!gtk_text_iter_ends_line(&end)) gtk_text_iter_forward_to_line_end(&end);
        gchar* text = gtk_text_iter_get_text(&at, &end);
        words = text;
        g_free(text);
    }
    char line[160];
    std::snprintf(line, sizeof line, "scrolled %.0f of %.0f page %.0f top %d: ", gtk_adjustment_get_value(vertical),
                  gtk_adjustment_get_upper(vertical), gtk_adjustment_get_page_size(vertical), top);
    say(line + words);
}

void scrolled(GtkAdjustment*, gpointer) {
    reportScroll();
}

gboolean onRequest(gpointer) {
    reportScroll();
    return G_SOURCE_CONTINUE;
}

void chosen(GtkMenuItem*, gpointer path) {
    say(std::string("menu ") + static_cast<const char*>(path));
    if (std::strcmp(static_cast<const char*>(path), "File/Quit") == 0) gtk_main_quit();
}

struct Item {
    const char* label = "";     // with its mnemonic
    const char* path = "";      // what "menu PATH" says
    guint key = 0;              // accelerator key, 0 for none
    GdkModifierType mods = {};  // its modifiers
    bool enabled = true;
};

GtkWidget* item(GtkWidget* menu, GtkAccelGroup* accel, const Item& it) {
    GtkWidget* widget = gtk_menu_item_new_with_mnemonic(it.label);
    if (it.key) gtk_widget_add_accelerator(widget, "activate", accel, it.key, it.mods, GTK_ACCEL_VISIBLE);
    gtk_widget_set_sensitive(widget, it.enabled ? TRUE : FALSE);
    g_signal_connect(widget, "activate", G_CALLBACK(chosen), const_cast<char*>(it.path));
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), widget);
    return widget;
}

void separator(GtkWidget* menu) {
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new());
}

// A menu under `parent` (the bar or a menu), titled `label`.
GtkWidget* submenu(GtkWidget* parent, GtkAccelGroup* accel, const char* label) {
    GtkWidget* top = gtk_menu_item_new_with_mnemonic(label);
    GtkWidget* inner = gtk_menu_new();
    gtk_menu_set_accel_group(GTK_MENU(inner), accel);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), inner);
    gtk_menu_shell_append(GTK_MENU_SHELL(parent), top);
    return inner;
}

GtkWidget* menuBar(GtkAccelGroup* accel) {
    constexpr auto ctrl = GDK_CONTROL_MASK;
    constexpr auto shiftCtrl = static_cast<GdkModifierType>(GDK_SHIFT_MASK | GDK_CONTROL_MASK);
    GtkWidget* bar = gtk_menu_bar_new();

    GtkWidget* file = submenu(bar, accel, "_File");
    item(file, accel, {"_New", "File/New", GDK_KEY_n, ctrl});
    item(file, accel, {"_Open…", "File/Open…", GDK_KEY_o, ctrl});
    GtkWidget* recent = submenu(file, accel, "Open _Recent");
    item(recent, accel, {"notes.txt", "File/Open Recent/notes.txt"});
    item(recent, accel, {"report.pdf", "File/Open Recent/report.pdf"});
    separator(file);
    item(file, accel, {"_Save", "File/Save", GDK_KEY_s, ctrl});
    item(file, accel, {"Save _As…", "File/Save As…", GDK_KEY_s, shiftCtrl});
    item(file, accel, {"Re_vert", "File/Revert", 0, {}, false});
    separator(file);
    item(file, accel, {"_Quit", "File/Quit", GDK_KEY_q, ctrl});

    GtkWidget* edit = submenu(bar, accel, "_Edit");
    item(edit, accel, {"_Undo", "Edit/Undo", GDK_KEY_z, ctrl});
    separator(edit);
    item(edit, accel, {"Cu_t", "Edit/Cut", GDK_KEY_x, ctrl});
    item(edit, accel, {"_Copy", "Edit/Copy", GDK_KEY_c, ctrl});
    item(edit, accel, {"_Paste", "Edit/Paste", GDK_KEY_v, ctrl});
    item(edit, accel, {"_Delete", "Edit/Delete", GDK_KEY_Delete, {}});
    separator(edit);
    item(edit, accel, {"_Find…", "Edit/Find…", GDK_KEY_f, ctrl});

    GtkWidget* view = submenu(bar, accel, "_View");
    GtkWidget* zoom = submenu(view, accel, "_Zoom");
    item(zoom, accel, {"Zoom _In", "View/Zoom/Zoom In", GDK_KEY_plus, ctrl});
    item(zoom, accel, {"Zoom _Out", "View/Zoom/Zoom Out", GDK_KEY_minus, ctrl});
    item(zoom, accel, {"_Normal Size", "View/Zoom/Normal Size", GDK_KEY_0, ctrl});
    item(view, accel, {"_Full Screen", "View/Full Screen", GDK_KEY_F11, {}});

    GtkWidget* help = submenu(bar, accel, "_Help");
    item(help, accel, {"_About", "Help/About"});
    return bar;
}

bool endsWith(const std::string& text, const char* end) {
    const std::size_t n = std::strlen(end);
    return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

std::string lowered(const std::string& text) {
    gchar* lower = g_ascii_strdown(text.c_str(), -1);
    std::string result = lower;
    g_free(lower);
    return result;
}

bool isPicture(const std::string& path) {
    const std::string name = lowered(path);
    for (const char* end : {".png", ".jpg", ".jpeg", ".gif", ".bmp", ".tif", ".tiff", ".webp"}) {
        if (endsWith(name, end)) return true;
    }
    return false;
}

// What the window shows: the text view in its scrolled area, a picture, or a file's name.
GtkWidget* content(const char* path, int width, int height) {
    if (path && isPicture(path)) {
        GdkPixbuf* picture = gdk_pixbuf_new_from_file_at_scale(path, width - 20, height - 60, TRUE, nullptr);
        GtkWidget* image = picture ? gtk_image_new_from_pixbuf(picture) : gtk_label_new("unreadable picture");
        if (picture) g_object_unref(picture);
        return image;
    }
    std::string text;
    if (!path) {
        text = longText();
    } else if (endsWith(lowered(path), ".pdf")) {
        gchar* name = g_path_get_basename(path);
        GtkWidget* label = gtk_label_new((std::string("PDF document ") + name).c_str());
        g_free(name);
        return label;
    } else {
        gchar* bytes = nullptr;
        gsize length = 0;
        if (g_file_get_contents(path, &bytes, &length, nullptr)) text.assign(bytes, length);
        g_free(bytes);
    }
    GtkWidget* area = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(area), GTK_POLICY_AUTOMATIC, GTK_POLICY_ALWAYS);
    // Scroll bars that stay on screen, as a user who turned off overlay scrolling has them.
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(area), FALSE);
    textView = gtk_text_view_new();
    gtk_text_view_set_monospace(GTK_TEXT_VIEW(textView), TRUE);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(textView), 6);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(textView)), text.c_str(),
                             static_cast<int>(text.size()));
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(gtk_text_view_get_buffer(GTK_TEXT_VIEW(textView)), &start);
    gtk_text_buffer_place_cursor(gtk_text_view_get_buffer(GTK_TEXT_VIEW(textView)), &start);
    gtk_container_add(GTK_CONTAINER(area), textView);
    vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(area));
    g_signal_connect(vertical, "value-changed", G_CALLBACK(scrolled), nullptr);
    g_signal_connect(vertical, "changed", G_CALLBACK(scrolled), nullptr);
    return area;
}

GtkWidget* shown = nullptr;

gboolean announce(gpointer) {
    // GTK lays a long text out in steps on idle; the document's height is
    // known once it stops growing.
    static double laidOut = -1;
    if (vertical && gtk_adjustment_get_upper(vertical) != laidOut) {
        laidOut = gtk_adjustment_get_upper(vertical);
        return G_SOURCE_CONTINUE;
    }
    GtkWidget* top = gtk_widget_get_toplevel(shown);
    int x = 0, y = 0, originX = 0, originY = 0;
    gtk_widget_translate_coordinates(shown, top, 0, 0, &x, &y);
    gdk_window_get_origin(gtk_widget_get_window(top), &originX, &originY);
    char line[160];
    std::snprintf(line, sizeof line, "placed text %d,%d %dx%d", originX + x, originY + y,
                  gtk_widget_get_allocated_width(shown), gtk_widget_get_allocated_height(shown));
    say(line);
    if (textView) {
        GtkTextIter at;
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(textView));
        gtk_text_buffer_get_iter_at_line(buffer, &at, (kHeronScreen - 1) * kLinesPerScreen + (kHeronLine - 1));
        int lineY = 0, lineHeight = 0;
        gtk_text_view_get_line_yrange(GTK_TEXT_VIEW(textView), &at, &lineY, &lineHeight);
        std::snprintf(line, sizeof line, "heron at %d %d", lineY, lineHeight);
        say(line);
        reportScroll();
    }
    say("ready");
    return G_SOURCE_REMOVE;
}

gboolean mapped(GtkWidget*, GdkEvent*, gpointer) {
    g_timeout_add(150, announce, nullptr);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    int x = 100, y = 100, width = 840, height = 480;
    const char* path = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--at") == 0) std::sscanf(argv[i + 1], "%d,%d", &x, &y);
        if (std::strcmp(argv[i], "--size") == 0) std::sscanf(argv[i + 1], "%dx%d", &width, &height);
        if (std::strcmp(argv[i], "--file") == 0) path = argv[i + 1];
    }
    // Held open for the editor's life: that is how the document behind a window can be found.
    if (path && ::open(path, O_RDONLY | O_CLOEXEC) < 0) {
        std::fprintf(stderr, "nimbo-test-editor: cannot open %s\n", path);
        return 1;
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    std::string title = "Untitled";
    if (path) {
        gchar* name = g_path_get_basename(path);
        title = name;
        g_free(name);
    }
    gtk_window_set_title(GTK_WINDOW(window), (title + " — nimbo-test-editor").c_str());
    gtk_window_set_default_size(GTK_WINDOW(window), width, height);
    gtk_window_move(GTK_WINDOW(window), x, y);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(mapped), nullptr);

    GtkAccelGroup* accel = gtk_accel_group_new();
    gtk_window_add_accel_group(GTK_WINDOW(window), accel);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(window), column);
    gtk_box_pack_start(GTK_BOX(column), menuBar(accel), FALSE, FALSE, 0);
    shown = content(path, width, height);
    gtk_box_pack_start(GTK_BOX(column), shown, TRUE, TRUE, 0);

    g_unix_signal_add(SIGUSR1, onRequest, nullptr);
    gtk_widget_show_all(window);
    if (textView) gtk_widget_grab_focus(textView);
    gtk_main();
    return 0;
}
