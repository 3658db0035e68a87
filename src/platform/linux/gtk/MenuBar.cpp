#include "platform/linux/gtk/MenuBar.h"

#include "platform/linux/gtk/MenuActions.h"

namespace nimbo::x11 {

GtkWidget* buildMenuBar(const std::vector<MenuBarMenu>& menus, GtkAccelGroup* accelerators) {
    GtkWidget* bar = gtk_menu_bar_new();
    for (const auto& menu : menus) {
        GtkWidget* top = gtk_menu_item_new_with_label(menu.title.c_str());
        GtkWidget* items = gtk_menu_new();
        gtk_menu_set_accel_group(GTK_MENU(items), accelerators);
        for (const auto& entry : menu.items) {
            GtkWidget* item =
                entry.title.empty() ? gtk_separator_menu_item_new() : gtk_menu_item_new_with_label(entry.title.c_str());
            if (entry.key != 0 && accelerators)
                gtk_widget_add_accelerator(item, "activate", accelerators, entry.key, entry.modifiers,
                                           GTK_ACCEL_VISIBLE);
            connectAction(item, entry.action);
            gtk_menu_shell_append(GTK_MENU_SHELL(items), item);
        }
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), items);
        gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
    }
    return bar;
}

}  // namespace nimbo::x11
