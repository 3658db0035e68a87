#include "platform/linux/atspi/MenuItems.h"

#include <atspi/atspi-constants.h>
#include <gdk/gdk.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

namespace nimbo::atspi {
namespace {

constexpr int kShift = 1;
constexpr int kOption = 2;
constexpr int kControl = 4;
constexpr int kNoCommand = 8;

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> split(const std::string& text, char at) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t found = text.find(at); found != std::string::npos; found = text.find(at, from)) {
        parts.push_back(text.substr(from, found - from));
        from = found + 1;
    }
    parts.push_back(text.substr(from));
    return parts;
}

// A modifier's bits by its name in GTK's or Qt's spelling; absent for no modifier.
std::optional<int> modifier(const std::string& name) {
    static const std::map<std::string, int> kNames{
        {"primary", kControl},
        {"control", kControl},
        {"ctrl", kControl},
        {"ctl", kControl},
        {"shift", kShift},
        {"shft", kShift},
        {"alt", kOption},
        {"mod1", kOption},
        // Super (the logo key, which Qt calls Meta) is the one like Command.
        {"super", 0},
        {"hyper", 0},
        {"meta", 0},
    };
    auto found = kNames.find(lowered(name));
    if (found == kNames.end()) return std::nullopt;
    return found->second;
}

// Keys without a character, by GTK's and Qt's names, as the menus' glyph numbers.
std::optional<int> glyph(const std::string& name) {
    static const std::map<std::string, int> kGlyphs{
        {"tab", 2},      {"iso_left_tab", 2}, {"kp_enter", 4}, {"enter", 4},       {"space", 9},   {"delete", 10},
        {"del", 10},     {"kp_delete", 10},   {"return", 11},  {"backspace", 23},  {"escape", 27}, {"esc", 27},
        {"page_up", 98}, {"prior", 98},       {"pgup", 98},    {"page_down", 107}, {"next", 107},  {"pgdown", 107},
        {"left", 100},   {"right", 101},      {"up", 104},     {"down", 106},      {"home", 115},  {"end", 116},
        {"f1", 111},     {"f2", 112},         {"f3", 113},     {"f4", 114},        {"f5", 117},    {"f6", 118},
        {"f7", 119},     {"f8", 120},         {"f9", 121},     {"f10", 122},       {"f11", 123},   {"f12", 124},
    };
    auto found = kGlyphs.find(lowered(name));
    if (found == kGlyphs.end()) return std::nullopt;
    return found->second;
}

// The character a key name types: the name itself when it is one character,
// else what the key symbol of that name types ("comma": ",").
std::optional<std::string> character(const std::string& name) {
    gunichar typed = 0;
    if (g_utf8_validate(name.c_str(), static_cast<gssize>(name.size()), nullptr) &&
        g_utf8_strlen(name.c_str(), static_cast<gssize>(name.size())) == 1) {
        typed = g_utf8_get_char(name.c_str());
    } else if (guint keyval = gdk_keyval_from_name(name.c_str()); keyval != GDK_KEY_VoidSymbol) {
        typed = gdk_keyval_to_unicode(keyval);
    }
    if (typed == 0 || !g_unichar_isgraph(typed)) return std::nullopt;
    char bytes[8] = {};
    return std::string(bytes, static_cast<size_t>(g_unichar_to_utf8(typed, bytes)));
}

std::optional<MenuKey> keyNamed(const std::string& name, int modifiers) {
    if (name.empty()) return std::nullopt;
    MenuKey key;
    key.modifiers = modifiers;
    if (auto number = glyph(name)) {
        key.glyph = *number;
    } else if (auto typed = character(name)) {
        key.character = std::move(typed);
    } else {
        return std::nullopt;
    }
    return key;
}

// "<Primary><Shift>s"
std::optional<MenuKey> fromGtk(std::string accelerator) {
    int modifiers = kNoCommand;
    while (!accelerator.empty() && accelerator[0] == '<') {
        size_t close = accelerator.find('>');
        if (close == std::string::npos) return std::nullopt;
        auto bits = modifier(accelerator.substr(1, close - 1));
        if (!bits) return std::nullopt;
        modifiers = *bits == 0 ? (modifiers & ~kNoCommand) : (modifiers | *bits);
        accelerator.erase(0, close + 1);
    }
    return keyNamed(accelerator, modifiers);
}

// "Ctrl+Shift+S", "Ctrl++"
std::optional<MenuKey> fromQt(const std::string& sequence) {
    auto parts = split(sequence, '+');
    // A trailing plus key leaves two empty parts behind it.
    if (parts.size() >= 2 && parts.back().empty() && parts[parts.size() - 2].empty()) {
        parts.pop_back();
        parts.pop_back();
        parts.emplace_back(1, '+');
    }
    int modifiers = kNoCommand;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        auto bits = modifier(parts[i]);
        if (!bits) return std::nullopt;
        modifiers = *bits == 0 ? (modifiers & ~kNoCommand) : (modifiers | *bits);
    }
    return keyNamed(parts.back(), modifiers);
}

}  // namespace

std::optional<MenuKey> menuKey(const std::string& binding) {
    auto parts = split(binding, ';');
    // GTK: the mnemonic, the path of mnemonics through the menus, then the accelerator.
    std::string accelerator = parts.size() == 3 ? parts[2] : parts[0];
    if (accelerator.empty()) return std::nullopt;
    if (accelerator[0] == '<') return fromGtk(accelerator);
    return fromQt(accelerator);
}

bool hasShortcut(uint32_t atspiRole) {
    return atspiRole == ATSPI_ROLE_MENU_ITEM || atspiRole == ATSPI_ROLE_CHECK_MENU_ITEM ||
           atspiRole == ATSPI_ROLE_RADIO_MENU_ITEM;
}

std::optional<platform::AXValue> menuValue(MenuPart part, const ObjectRef& self, const ElementFacts& facts,
                                           const std::string& name,
                                           const std::function<platform::AXRef(const ObjectRef&, MenuPart)>& element) {
    if (name == "AXMenuItemCmdChar" || name == "AXMenuItemCmdModifiers" || name == "AXMenuItemCmdGlyph") {
        auto key = facts.keyBinding ? menuKey(*facts.keyBinding) : std::nullopt;
        if (!key) return platform::AXValue{};
        if (name == "AXMenuItemCmdChar")
            return key->character ? platform::AXValue(*key->character) : platform::AXValue{};
        if (name == "AXMenuItemCmdModifiers") return platform::AXValue(double(key->modifiers));
        return key->glyph != 0 ? platform::AXValue(double(key->glyph)) : platform::AXValue{};
    }
    if (part == MenuPart::none) return std::nullopt;
    auto children = [&](MenuPart as) {
        std::vector<platform::AXRef> list;
        list.reserve(facts.children.size());
        for (const ObjectRef& child : facts.children) list.push_back(element(child, as));
        return platform::AXValue(std::move(list));
    };
    // An item that opens a submenu: AT-SPI's menu holding the submenu's items.
    const bool opens = facts.role == ATSPI_ROLE_MENU;
    switch (part) {
        case MenuPart::bar:
            if (name == "AXChildren") return children(MenuPart::barItem);
            break;
        case MenuPart::barItem:
        case MenuPart::item:
            if (!opens) break;
            if (name == "AXRole")
                return platform::AXValue(std::string(part == MenuPart::barItem ? "AXMenuBarItem" : "AXMenuItem"));
            if (name == "AXChildren")
                return platform::AXValue(std::vector<platform::AXRef>{element(self, MenuPart::menu)});
            break;
        case MenuPart::menu:
            if (name == "AXRole") return platform::AXValue(std::string("AXMenu"));
            if (name == "AXChildren") return children(MenuPart::item);
            // Where the menu opens is not told; the item's place is not the menu's.
            if (name == "AXPosition" || name == "AXSize") return platform::AXValue{};
            break;
        case MenuPart::none:
            break;
    }
    return std::nullopt;
}

}  // namespace nimbo::atspi
