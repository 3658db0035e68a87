#pragma once
// Menus built from plain descriptions: the panel item's menu and the control
// center's menu bar share these pieces.
#include <gtk/gtk.h>

#include <functional>

namespace nimbo::x11 {

// Runs `action` when the menu item is activated, from the main loop once the
// menu's own signal is over: an action that rebuilds the menu never pulls it
// away in the middle of an emission.
void connectAction(GtkWidget* item, std::function<void()> action);

}  // namespace nimbo::x11
