// A GTK 3 window that is one long text view in a scrolled window, forty
// screens of numbered lines with a few lines of words found nowhere else:
// what a document in an editor looks like to the accessibility bus.
//
//   nimbo-test-scroll-app [--at X,Y]
//
// Prints "ready" once the window is on screen and "scrolled VALUE of
// UPPER page PAGE" whenever the vertical adjustment moves, in pixels.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kLines = 1200;

void moved(GtkAdjustment* adjustment, gpointer) {
    std::printf("scrolled %.0f of %.0f page %.0f\n", gtk_adjustment_get_value(adjustment),
                gtk_adjustment_get_upper(adjustment), gtk_adjustment_get_page_size(adjustment));
    std::fflush(stdout);
}

gboolean announce(GtkWidget*, GdkEvent*, gpointer) {
    std::printf("ready\n");
    std::fflush(stdout);
    return FALSE;
}

std::string document() {
    std::string text;
    for (int line = 1; line <= kLines; ++line) {
        if (line == 1000) {
            text += "The lighthouse keeper counted seven herons at dawn.\n";
        } else {
            text += "Line " + std::to_string(line) + " of the long report, the same words again.\n";
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    // Scrolls land at once rather than glide, so what a test reads is where they went.
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    int x = 100, y = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--at") == 0) std::sscanf(argv[i + 1], "%d,%d", &x, &y);
    }
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Nimbo Scroll Test");
    gtk_window_move(GTK_WINDOW(window), x, y);
    gtk_window_set_default_size(GTK_WINDOW(window), 600, 400);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(announce), nullptr);

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_ALWAYS);
    GtkWidget* view = gtk_text_view_new();
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), document().c_str(), -1);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    gtk_container_add(GTK_CONTAINER(window), scrolled);
    g_signal_connect(gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrolled)), "value-changed",
                     G_CALLBACK(moved), nullptr);

    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
