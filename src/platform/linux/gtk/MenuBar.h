#pragma once
// A window's menu bar with its keyboard accelerators.
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace nimbo::x11 {

struct MenuBarItem {
    std::string title;  // empty: a separator
    guint key = 0;      // a GDK key value; 0 for none
    GdkModifierType modifiers{};
    std::function<void()> action{};
};

struct MenuBarMenu {
    std::string title;
    std::vector<MenuBarItem> items;
};

// The bar and, in `accelerators`, the items' keys.
GtkWidget* buildMenuBar(const std::vector<MenuBarMenu>& menus, GtkAccelGroup* accelerators);

}  // namespace nimbo::x11
