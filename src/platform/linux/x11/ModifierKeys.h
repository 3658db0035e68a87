#pragma once
// Which X keys are Shift, Control, Option (Alt) and Command (Super), read
// from the server's modifier mapping, and the tap flags they stand for.
#include <X11/Xlib.h>

#include <array>
#include <cstdint>

namespace nimbo::x11 {

// The event-tap flag bits.
inline constexpr std::uint64_t kAlphaShiftFlag = 0x10000;
inline constexpr std::uint64_t kShiftFlag = 0x20000;
inline constexpr std::uint64_t kControlFlag = 0x40000;
inline constexpr std::uint64_t kOptionFlag = 0x80000;
inline constexpr std::uint64_t kCommandFlag = 0x100000;
inline constexpr std::array<std::uint64_t, 4> kHeldFlags = {kShiftFlag, kControlFlag, kOptionFlag, kCommandFlag};

class ModifierKeys {
public:
    // Super (or whatever shares its modifier, Mod4 when it has none) is
    // Command, Alt and Meta (Mod1 by default) are Option, Caps Lock is Alpha Shift.
    static ModifierKeys read(Display* display);

    // The flag an X key code stands for; 0 for an ordinary key.
    std::uint64_t flagOf(unsigned keyCode) const { return keyCode < flags_.size() ? flags_[keyCode] : 0; }
    // A key that produces `flag` (the left one where there are two); 0 when none does.
    unsigned keyFor(std::uint64_t flag) const;
    // Flags for the X modifier state of a key event, and back.
    std::uint64_t flagsOfState(unsigned state) const;
    unsigned stateOfFlags(std::uint64_t flags) const;
    // The modifier Num Lock sets; 0 when it sets none.
    unsigned numLockMask() const { return numLockMask_; }

private:
    std::array<std::uint64_t, 256> flags_{};
    unsigned shiftKey_ = 0, controlKey_ = 0, optionKey_ = 0, commandKey_ = 0;
    unsigned commandMask_ = Mod4Mask;
    unsigned optionMask_ = Mod1Mask;
    unsigned numLockMask_ = 0;
};

}  // namespace nimbo::x11
