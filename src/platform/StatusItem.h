#pragma once
// The shell's item in the desktop's status area (menu bar, tray), and the menu
// that drops from it.
#include <optional>
#include <string>
#include <vector>

#include "platform/Menu.h"
#include "platform/Windows.h"

namespace nimbo::platform {

class StatusItem {
public:
    virtual ~StatusItem() = default;
    // Shows the named image of the shell's own resources; false when there is none.
    virtual bool setImage(const std::string& resource, const std::string& accessibilityDescription) = 0;
    // Shows one of the desktop's symbolic icons.
    virtual void setSymbol(const std::string& name, const std::string& accessibilityDescription) = 0;
    // Text beside the image; `alert` draws it small in the desktop's red.
    virtual void setTitle(const std::string& title, bool alert) = 0;
    virtual void setToolTip(const std::optional<std::string>& toolTip) = 0;
    // Replaces the whole menu.
    virtual void setMenu(const std::vector<MenuItem>& items) = 0;
    // For the window that draws the item, where the desktop has one.
    virtual void setSharingType(SharingType type) = 0;
};

// The application's main menu: the menus of a menu bar, each a titled item
// with a submenu (an empty title is the application menu). Where the desktop
// has no global menu bar, the control center's window carries it and its
// key equivalents.
class MenuBar {
public:
    virtual ~MenuBar() = default;
    virtual void install(const std::vector<MenuItem>& menus) = 0;
};

}  // namespace nimbo::platform
