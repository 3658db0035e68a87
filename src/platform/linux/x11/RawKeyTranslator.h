#pragma once
// Turns raw key presses and releases, which carry no modifier state, into tap
// events: the modifiers are the modifier keys seen down, a modifier key makes
// a flags-changed event, and a press of a key already down is an auto-repeat.
#include <bitset>
#include <optional>

#include "platform/KeyTaps.h"
#include "platform/linux/x11/ModifierKeys.h"

namespace nimbo::x11 {

class RawKeyTranslator {
public:
    // Starts over from the keys the server has down (XQueryKeymap's 32 bytes)
    // and whether Caps Lock is on.
    void reset(const char (&keymap)[32], bool capsLocked);
    // The tap event for a raw press or release of an X key code; none for what
    // the taps don't report (a Caps Lock release, a repeated modifier).
    std::optional<platform::TapEvent> translate(unsigned keyCode, bool press, bool repeatFlag,
                                                const ModifierKeys& modifiers);

private:
    std::uint64_t flags(const ModifierKeys& modifiers) const;
    std::bitset<256> down_;
    bool capsLocked_ = false;
};

}  // namespace nimbo::x11
