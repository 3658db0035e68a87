#pragma once
// A menu described as data, for the status item and the main menu. The
// backend builds its own widgets from it on every change.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nimbo::platform {

// Modifier bits of a key equivalent, with the event-tap flag values;
// Command stands for the desktop's primary accelerator modifier (Ctrl on Linux).
namespace MenuModifier {
inline constexpr std::uint64_t shift = 1ULL << 17;
inline constexpr std::uint64_t control = 1ULL << 18;
inline constexpr std::uint64_t option = 1ULL << 19;
inline constexpr std::uint64_t command = 1ULL << 20;
}  // namespace MenuModifier

struct MenuItem {
    std::string title;
    bool separator = false;
    bool enabled = true;
    bool checked = false;
    std::string toolTip{};
    // The key equivalent: one character (empty: none) and its modifiers.
    std::string key{};
    std::uint64_t modifiers = MenuModifier::command;
    // What choosing the item does: the core's own work, or a standard action
    // the backend carries out on the key window or the application
    // ("undo:", "redo:", "cut:", "copy:", "paste:", "selectAll:", "hide:",
    // "performClose:", "performMiniaturize:", "toggleFullScreen:").
    std::function<void()> perform{};
    std::string standardAction{};
    std::vector<MenuItem> submenu{};

    static MenuItem separatorItem() {
        MenuItem item;
        item.separator = true;
        return item;
    }
};

}  // namespace nimbo::platform
