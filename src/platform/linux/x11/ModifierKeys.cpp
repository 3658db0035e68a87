#include "platform/linux/x11/ModifierKeys.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <initializer_list>

namespace nimbo::x11 {
namespace {

// Rows of the modifier mapping, in X's order.
constexpr int kShiftRow = 0, kLockRow = 1, kControlRow = 2, kMod1Row = 3, kMod4Row = 6, kRows = 8;

bool isOneOf(KeySym symbol, std::initializer_list<KeySym> symbols) {
    for (KeySym candidate : symbols)
        if (symbol == candidate) return true;
    return false;
}

// Which key symbols name which flag, the left key first.
struct Named {
    std::uint64_t flag;
    std::initializer_list<KeySym> symbols;
};
const Named kNamed[] = {
    {kCommandFlag, {XK_Super_L, XK_Super_R}},
    {kOptionFlag, {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R}},
    {kShiftFlag, {XK_Shift_L, XK_Shift_R}},
    {kControlFlag, {XK_Control_L, XK_Control_R}},
};

}  // namespace

ModifierKeys ModifierKeys::read(Display* display) {
    ModifierKeys keys;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) return keys;
    const auto symbolOf = [display](KeyCode code) { return XkbKeycodeToKeysym(display, code, 0, 0); };
    const auto keyAt = [map](int row, int slot) { return map->modifiermap[row * map->max_keypermod + slot]; };
    // The first of Mod1..Mod5 holding one of `symbols`, or `fallback`.
    const auto rowHolding = [&](std::initializer_list<KeySym> symbols, int fallback) {
        for (int row = kMod1Row; row < kRows; ++row) {
            for (int slot = 0; slot < map->max_keypermod; ++slot)
                if (keyAt(row, slot) != 0 && isOneOf(symbolOf(keyAt(row, slot)), symbols)) return row;
        }
        return fallback;
    };
    const int commandRow = rowHolding({XK_Super_L, XK_Super_R}, kMod4Row);
    const int optionRow = rowHolding({XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R}, kMod1Row);
    const int numLockRow = rowHolding({XK_Num_Lock}, -1);
    keys.commandMask_ = 1U << commandRow;
    keys.optionMask_ = 1U << optionRow;
    keys.numLockMask_ = numLockRow < 0 ? 0 : 1U << numLockRow;

    // The server's mapping decides first: it is what sets the modifier bits.
    for (int row = 0; row < kRows; ++row) {
        std::uint64_t flag = 0;
        if (row == kShiftRow) flag = kShiftFlag;
        if (row == kLockRow) flag = kAlphaShiftFlag;
        if (row == kControlRow) flag = kControlFlag;
        if (row == optionRow) flag = kOptionFlag;
        if (row == commandRow) flag = kCommandFlag;
        for (int slot = 0; slot < map->max_keypermod && flag != 0; ++slot)
            if (keyAt(row, slot) != 0) keys.flags_[keyAt(row, slot)] = flag;
    }
    XFreeModifiermap(map);

    // Keys named like modifiers but left out of the mapping still count.
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(display, &minCode, &maxCode);
    for (int code = minCode; code <= maxCode && code < static_cast<int>(keys.flags_.size()); ++code) {
        const KeySym symbol = symbolOf(static_cast<KeyCode>(code));
        for (const auto& named : kNamed)
            if (keys.flags_[code] == 0 && isOneOf(symbol, named.symbols)) keys.flags_[code] = named.flag;
    }

    for (const auto& named : kNamed) {
        unsigned chosen = 0;
        for (int code = minCode; code <= maxCode && code < static_cast<int>(keys.flags_.size()); ++code) {
            if (keys.flags_[code] != named.flag) continue;
            if (chosen == 0) chosen = code;
            if (symbolOf(static_cast<KeyCode>(code)) == *named.symbols.begin()) {
                chosen = code;
                break;
            }
        }
        if (named.flag == kCommandFlag) keys.commandKey_ = chosen;
        if (named.flag == kOptionFlag) keys.optionKey_ = chosen;
        if (named.flag == kShiftFlag) keys.shiftKey_ = chosen;
        if (named.flag == kControlFlag) keys.controlKey_ = chosen;
    }
    return keys;
}

unsigned ModifierKeys::keyFor(std::uint64_t flag) const {
    if (flag == kCommandFlag) return commandKey_;
    if (flag == kOptionFlag) return optionKey_;
    if (flag == kShiftFlag) return shiftKey_;
    if (flag == kControlFlag) return controlKey_;
    return 0;
}

std::uint64_t ModifierKeys::flagsOfState(unsigned state) const {
    std::uint64_t flags = 0;
    if (state & ShiftMask) flags |= kShiftFlag;
    if (state & LockMask) flags |= kAlphaShiftFlag;
    if (state & ControlMask) flags |= kControlFlag;
    if (state & optionMask_) flags |= kOptionFlag;
    if (state & commandMask_) flags |= kCommandFlag;
    return flags;
}

unsigned ModifierKeys::stateOfFlags(std::uint64_t flags) const {
    unsigned state = 0;
    if (flags & kShiftFlag) state |= ShiftMask;
    if (flags & kAlphaShiftFlag) state |= LockMask;
    if (flags & kControlFlag) state |= ControlMask;
    if (flags & kOptionFlag) state |= optionMask_;
    if (flags & kCommandFlag) state |= commandMask_;
    return state;
}

}  // namespace nimbo::x11
