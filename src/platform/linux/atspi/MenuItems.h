#pragma once
// Menu bars read from the bar down, in the shape the core expects: the bar
// holds its items, an item with a submenu holds that menu, the menu holds its
// items. AT-SPI folds an item and its submenu into one element (a menu whose
// children are the submenu's items), so each such element is shown twice:
// once as the item, once as the menu it opens. Items also tell their
// shortcut, from the key binding of their action.
#include <functional>
#include <optional>
#include <string>

#include "platform/Accessibility.h"
#include "platform/linux/atspi/ElementFacts.h"

namespace nimbo::atspi {

// Where an element was reached: anywhere (none), or down from a menu bar.
enum class MenuPart { none, bar, barItem, item, menu };

// A shortcut in the menus' terms: the character or the glyph number of a key
// without one, and the modifier bits (1 Shift, 2 Option, 4 Control, 8 no Command).
struct MenuKey {
    std::optional<std::string> character;
    int modifiers = 8;
    int glyph = 0;
    bool operator==(const MenuKey&) const = default;
};

// The shortcut in an action's key binding: GTK's "mnemonic;path;accelerator"
// ("n;<Alt>f:n;<Primary>n") or a lone accelerator ("<Control><Shift>s",
// Qt's "Ctrl+Shift+S"). Absent when there is none or its key is unknown.
// Control is ⌃ and Super ⌘, so a Control shortcut carries the no-Command bit.
std::optional<MenuKey> menuKey(const std::string& binding);

// Whether a role's key binding is worth asking for.
bool hasShortcut(uint32_t atspiRole);

// An attribute of an element reached down from a menu bar where that differs
// from the element read anywhere; absent where it does not. `element` makes
// the element of a reference, reached as the given part.
// `self` is the element's own reference.
std::optional<platform::AXValue> menuValue(MenuPart part, const ObjectRef& self, const ElementFacts& facts,
                                           const std::string& name,
                                           const std::function<platform::AXRef(const ObjectRef&, MenuPart)>& element);

}  // namespace nimbo::atspi
