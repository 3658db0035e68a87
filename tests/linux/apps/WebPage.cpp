// A browser window of one page: a WebKitGTK view showing the HTML of a file,
// as a web page from a server, not as the file itself.
//
//   nimbo-test-web-page FILE
//
// Prints "ready" once the page has loaded and the window is on screen.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>

namespace {

bool loaded = false;
bool shown = false;

void announceWhenBoth() {
    if (!loaded || !shown) return;
    std::printf("ready\n");
    std::fflush(stdout);
}

void onLoad(WebKitWebView*, WebKitLoadEvent event, gpointer) {
    if (event != WEBKIT_LOAD_FINISHED) return;
    loaded = true;
    announceWhenBoth();
}

gboolean onMapped(GtkWidget*, GdkEvent*, gpointer) {
    shown = true;
    announceWhenBoth();
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    gchar* html = nullptr;
    if (!g_file_get_contents(argv[1], &html, nullptr, nullptr)) return 1;

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Test Page — Browser");
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    gtk_window_move(GTK_WINDOW(window), 60, 60);
    GtkWidget* view = webkit_web_view_new();
    gtk_container_add(GTK_CONTAINER(window), view);
    g_signal_connect(view, "load-changed", G_CALLBACK(onLoad), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(onMapped), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    // From a server's address: the window shows a page, not a local file.
    webkit_web_view_load_html(WEBKIT_WEB_VIEW(view), html, "http://127.0.0.1/");
    g_free(html);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
