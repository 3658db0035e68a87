#pragma once
// The front application's menu commands: each with its menu path and its
// keyboard shortcut. Reading a menu bar is slow, so it is read ahead of need
// whenever an application comes to the front and kept per process; a capture
// answers from what was kept at once.
#include <optional>
#include <string>

#include "platform/Application.h"
#include "platform/Json.h"

namespace nimbo::Menus {

// Starts a background read of `app`'s menus when one is due; returns at once.
// Only ordinary applications are read: those showing a window of their own.
void refresh(const std::optional<platform::RunningApp>& app);

struct Front {
    std::string app;
    Json commands = Json::array();
};

// The front application's commands as last read, at once; absent when none
// were read for it yet. Also starts a read for next time when one is due.
// Safe off the main thread.
std::optional<Front> forFront();

// The commands of a process's menu bar, read now: [{"path": [titles],
// "key": shortcut, "enabled": false}], "key" and "enabled" only where they
// apply. Slow: call off the main thread.
Json read(int pid);

// A shortcut as the menus show it, e.g. "⌃⇧S": the modifier symbols then the
// key. `mods` holds the menu's modifier bits: 1 Shift, 2 Option, 4 Control,
// 8 no Command. `glyph` names a key without a character. Absent when there
// is no usable key.
std::optional<std::string> shortcut(const std::optional<std::string>& character, int mods, int glyph);

}  // namespace nimbo::Menus
