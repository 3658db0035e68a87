// A small GTK 3 application with the controls a user asks about: two buttons,
// an entry with a placeholder, a check box, labels, a list and a menu bar.
// The desktop tests and the walk benchmark read it through the accessibility
// bus as they would any other application.
//
//   nimbo-test-app [--at X,Y] [--busy N]
//
// --at places the window's top-left corner; --busy adds a grid of N more
// buttons and labels, a window as crowded as a settings dialog gets.
// Prints "ready" on standard output once the window is on screen, and
// "clicked LABEL" when a button is clicked.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

GtkWidget* button(const char* label) {
    GtkWidget* widget = gtk_button_new_with_label(label);
    g_signal_connect(widget, "clicked", G_CALLBACK(clicked), nullptr);
    return widget;
}

gboolean announce(GtkWidget*, GdkEvent*, gpointer) {
    std::printf("ready\n");
    std::fflush(stdout);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    int x = 100, y = 100, busy = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--at") == 0) std::sscanf(argv[i + 1], "%d,%d", &x, &y);
        if (std::strcmp(argv[i], "--busy") == 0) busy = std::atoi(argv[i + 1]);
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
    gtk_box_pack_start(GTK_BOX(column), entry, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(column), gtk_check_button_new_with_label("Remember me"), FALSE, FALSE, 0);

    GtkWidget* list = gtk_list_box_new();
    for (const char* row : {"Alpha", "Beta", "Gamma"}) gtk_container_add(GTK_CONTAINER(list), gtk_label_new(row));
    gtk_box_pack_start(GTK_BOX(column), list, FALSE, FALSE, 0);

    GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_box_pack_start(GTK_BOX(buttons), button("Save"), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(buttons), button("Delete account"), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);

    if (busy > 0) gtk_box_pack_start(GTK_BOX(column), busyGrid(busy), FALSE, FALSE, 0);

    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
