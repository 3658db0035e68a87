// A GTK 3 window whose menu bar holds commands with known shortcuts, read
// through the accessibility bus as the menus of any other application are.
//
//   nimbo-test-menus-app
//
// File: New (Ctrl+N), Save (Ctrl+S), Save As… (Shift+Ctrl+S), Print (disabled),
// a separator, Open Recent > notes.txt, Export > As PDF (Ctrl+Alt+E) and
// Export > More > Archive; Edit: Delete (the Delete key), Find Next (F3),
// Go Up (Alt+Up), Preferences (Super+comma). Prints "ready" once the window is
// on screen.
#include <gtk/gtk.h>

#include <cstdio>

namespace {

GtkAccelGroup* keys = nullptr;

GtkWidget* submenu(GtkWidget* shell, const char* title) {
    GtkWidget* item = gtk_menu_item_new_with_mnemonic(title);
    GtkWidget* inner = gtk_menu_new();
    gtk_menu_set_accel_group(GTK_MENU(inner), keys);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), inner);
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
    return inner;
}

GtkWidget* command(GtkWidget* menu, const char* title, guint key = 0, GdkModifierType mods = GdkModifierType(0)) {
    GtkWidget* item = gtk_menu_item_new_with_mnemonic(title);
    if (key != 0) gtk_widget_add_accelerator(item, "activate", keys, key, mods, GTK_ACCEL_VISIBLE);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    return item;
}

gboolean announce(GtkWidget*, GdkEvent*, gpointer) {
    std::printf("ready\n");
    std::fflush(stdout);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Menus");
    gtk_window_set_default_size(GTK_WINDOW(window), 420, 240);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    keys = gtk_accel_group_new();
    gtk_window_add_accel_group(GTK_WINDOW(window), keys);

    GtkWidget* bar = gtk_menu_bar_new();
    GtkWidget* file = submenu(bar, "_File");
    command(file, "_New", GDK_KEY_n, GDK_CONTROL_MASK);
    command(file, "_Save", GDK_KEY_s, GDK_CONTROL_MASK);
    command(file, "Save _As…", GDK_KEY_s, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    gtk_widget_set_sensitive(command(file, "_Print", GDK_KEY_p, GDK_CONTROL_MASK), FALSE);
    gtk_menu_shell_append(GTK_MENU_SHELL(file), gtk_separator_menu_item_new());
    command(submenu(file, "Open _Recent"), "notes.txt");
    GtkWidget* exporting = submenu(file, "_Export");
    command(exporting, "As _PDF", GDK_KEY_e, GdkModifierType(GDK_CONTROL_MASK | GDK_MOD1_MASK));
    command(submenu(exporting, "_More"), "Archive");

    GtkWidget* edit = submenu(bar, "_Edit");
    command(edit, "_Delete", GDK_KEY_Delete);
    command(edit, "Find _Next", GDK_KEY_F3);
    command(edit, "Go _Up", GDK_KEY_Up, GDK_MOD1_MASK);
    command(edit, "Pr_eferences", GDK_KEY_comma, GDK_SUPER_MASK);

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), gtk_label_new("Menus only"), TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    g_signal_connect(window, "map-event", G_CALLBACK(announce), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
