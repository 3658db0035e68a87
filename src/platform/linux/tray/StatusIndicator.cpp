#include "platform/linux/tray/StatusIndicator.h"

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include "platform/linux/gtk/MenuActions.h"

namespace nimbo::x11 {
namespace {

GtkWidget* buildMenu(const std::vector<TrayMenuEntry>& entries) {
    GtkWidget* menu = gtk_menu_new();
    for (const auto& entry : entries) {
        GtkWidget* item = nullptr;
        if (entry.title.empty()) {
            item = gtk_separator_menu_item_new();
        } else if (entry.checkable) {
            item = gtk_check_menu_item_new_with_label(entry.title.c_str());
            gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), entry.checked);
        } else {
            item = gtk_menu_item_new_with_label(entry.title.c_str());
        }
        gtk_widget_set_sensitive(item, entry.enabled);
        if (!entry.toolTip.empty()) gtk_widget_set_tooltip_text(item, entry.toolTip.c_str());
        if (!entry.submenu.empty()) gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), buildMenu(entry.submenu));
        // "activate" also fires when a check item is set above; connect after.
        connectAction(item, entry.action);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    gtk_widget_show_all(menu);
    return menu;
}

}  // namespace

StatusIndicator::StatusIndicator(const std::string& id, const std::string& accessibleName) {
    // The theme's own icon for the shell when installed, else a stock one.
    const char* icon =
        gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), "nimbo") ? "nimbo" : "input-keyboard-symbolic";
    indicator_ = app_indicator_new(id.c_str(), icon, APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    app_indicator_set_icon_full(indicator_, icon, accessibleName.c_str());
    app_indicator_set_title(indicator_, accessibleName.c_str());
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);
    setMenu({});
}

StatusIndicator::~StatusIndicator() {
    g_object_unref(indicator_);
    if (menu_) gtk_widget_destroy(menu_);
}

void StatusIndicator::setMenu(const std::vector<TrayMenuEntry>& entries) {
    GtkWidget* old = menu_;
    menu_ = buildMenu(entries);
    g_object_ref_sink(menu_);
    app_indicator_set_menu(indicator_, GTK_MENU(menu_));
    if (old) {
        gtk_widget_destroy(old);
        g_object_unref(old);
    }
}

void StatusIndicator::setLabel(const std::string& label) {
    app_indicator_set_label(indicator_, label.c_str(), label.c_str());
}

void StatusIndicator::setTitle(const std::string& title) {
    app_indicator_set_title(indicator_, title.c_str());
}

}  // namespace nimbo::x11
