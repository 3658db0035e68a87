#include "platform/linux/gtk/MenuWidgets.h"

namespace nimbo::x11 {
namespace {

using Action = std::function<void()>;

void activate(GtkMenuItem*, gpointer data) {
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer pending) -> gboolean {
            (*static_cast<Action*>(pending))();
            return G_SOURCE_REMOVE;
        },
        new Action(*static_cast<Action*>(data)), [](gpointer pending) { delete static_cast<Action*>(pending); });
}

void connectAction(GtkWidget* item, Action action) {
    if (!action) return;
    g_signal_connect_data(
        item, "activate", G_CALLBACK(activate), new Action(std::move(action)),
        [](gpointer data, GClosure*) { delete static_cast<Action*>(data); }, G_CONNECT_DEFAULT);
}

GtkWidget* itemWidget(const platform::MenuItem& item, GtkAccelGroup* keys, const StandardActions& standard) {
    if (item.separator) return gtk_separator_menu_item_new();
    GtkWidget* widget = nullptr;
    if (item.checked) {
        widget = gtk_check_menu_item_new_with_label(item.title.c_str());
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
    } else {
        widget = gtk_menu_item_new_with_label(item.title.c_str());
    }
    gtk_widget_set_sensitive(widget, item.enabled);
    if (!item.toolTip.empty()) gtk_widget_set_tooltip_text(widget, item.toolTip.c_str());
    if (!item.submenu.empty())
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), buildMenu(item.submenu, keys, standard));
    guint key = 0;
    GdkModifierType modifiers{};
    if (keys && acceleratorOf(item, key, modifiers))
        gtk_widget_add_accelerator(widget, "activate", keys, key, modifiers, GTK_ACCEL_VISIBLE);
    // Connected after the check state is set, which also emits "activate".
    if (item.perform) {
        connectAction(widget, item.perform);
    } else if (!item.standardAction.empty() && standard) {
        connectAction(widget, [standard, action = item.standardAction] { standard(action); });
    }
    return widget;
}

}  // namespace

GtkWidget* buildMenu(const std::vector<platform::MenuItem>& items, GtkAccelGroup* keys,
                     const StandardActions& standard) {
    GtkWidget* menu = gtk_menu_new();
    if (keys) gtk_menu_set_accel_group(GTK_MENU(menu), keys);
    for (const auto& item : items) gtk_menu_shell_append(GTK_MENU_SHELL(menu), itemWidget(item, keys, standard));
    gtk_widget_show_all(menu);
    return menu;
}

GtkWidget* buildMenuBar(const std::vector<platform::MenuItem>& menus, GtkAccelGroup* keys,
                        const StandardActions& standard) {
    GtkWidget* bar = gtk_menu_bar_new();
    for (const auto& menu : menus) {
        GtkWidget* top = gtk_menu_item_new_with_label(menu.title.empty() ? "nimbo" : menu.title.c_str());
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), buildMenu(menu.submenu, keys, standard));
        gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
    }
    gtk_widget_show_all(bar);
    return bar;
}

bool acceleratorOf(const platform::MenuItem& item, guint& key, GdkModifierType& modifiers) {
    if (item.key.empty()) return false;
    const gunichar character = g_utf8_get_char_validated(item.key.c_str(), static_cast<gssize>(item.key.size()));
    if (character == static_cast<gunichar>(-1) || character == static_cast<gunichar>(-2)) return false;
    key = gdk_keyval_to_lower(gdk_unicode_to_keyval(character));
    unsigned mask = 0;
    if (item.modifiers & platform::MenuModifier::command) mask |= GDK_CONTROL_MASK;
    if (item.modifiers & platform::MenuModifier::control) mask |= GDK_SUPER_MASK;
    if (item.modifiers & platform::MenuModifier::option) mask |= GDK_MOD1_MASK;
    if (item.modifiers & platform::MenuModifier::shift) mask |= GDK_SHIFT_MASK;
    modifiers = static_cast<GdkModifierType>(mask);
    return gtk_accelerator_valid(key, modifiers);
}

}  // namespace nimbo::x11
