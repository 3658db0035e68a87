#include "platform/linux/tray/PanelStatusItem.h"

namespace nimbo::x11 {
namespace {

// The theme's own icon for the shell when one is installed, else a stock one.
const char* iconName() {
    return gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), "nimbo") ? "nimbo" : "input-keyboard-symbolic";
}

}  // namespace

PanelStatusItem::~PanelStatusItem() {
    if (indicator_) g_object_unref(indicator_);
    if (menu_) {
        gtk_widget_destroy(menu_);
        g_object_unref(menu_);
    }
}

AppIndicator* PanelStatusItem::indicator() {
    if (!indicator_) {
        indicator_ = app_indicator_new(kId, iconName(), APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
        app_indicator_set_title(indicator_, description_.c_str());
        app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);
    }
    return indicator_;
}

void PanelStatusItem::setSymbol(const std::string&, const std::string& accessibilityDescription) {
    description_ = accessibilityDescription;
    app_indicator_set_icon_full(indicator(), iconName(), accessibilityDescription.c_str());
}

void PanelStatusItem::setTitle(const std::string& title, bool) {
    app_indicator_set_label(indicator(), title.c_str(), title.c_str());
}

void PanelStatusItem::setToolTip(const std::optional<std::string>& toolTip) {
    app_indicator_set_title(indicator(), toolTip ? toolTip->c_str() : description_.c_str());
}

void PanelStatusItem::setMenu(const std::vector<platform::MenuItem>& items) {
    GtkWidget* old = menu_;
    menu_ = buildMenu(items, nullptr, standard_);
    g_object_ref_sink(menu_);
    app_indicator_set_menu(indicator(), GTK_MENU(menu_));
    if (old) {
        gtk_widget_destroy(old);
        g_object_unref(old);
    }
}

}  // namespace nimbo::x11
