#pragma once
// GTK menus built from the seam's menu descriptions: the panel item's menu
// and the control center's menu bar.
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Menu.h"

namespace nimbo::x11 {

// Carries out a standard action ("copy:", "performClose:", ...) on whichever
// window the owner of the menu decides.
using StandardActions = std::function<void(const std::string& action)>;

// A menu; items' key equivalents go to `keys` when it is given. Choosing an
// item runs its action from the main loop once the menu's own signal is over,
// so an action that rebuilds the menu never pulls it away mid-emission.
GtkWidget* buildMenu(const std::vector<platform::MenuItem>& items, GtkAccelGroup* keys,
                     const StandardActions& standard);
// A menu bar of titled menus; the untitled application menu is called "nimbo".
GtkWidget* buildMenuBar(const std::vector<platform::MenuItem>& menus, GtkAccelGroup* keys,
                        const StandardActions& standard);

// The GTK accelerator of a key equivalent: Command is Ctrl, Control is Super,
// Option is Alt. False when the item has none.
bool acceleratorOf(const platform::MenuItem& item, guint& key, GdkModifierType& modifiers);

}  // namespace nimbo::x11
