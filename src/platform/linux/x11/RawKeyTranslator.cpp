#include "platform/linux/x11/RawKeyTranslator.h"

#include "platform/linux/x11/KeyCodes.h"

namespace nimbo::x11 {
namespace {
constexpr std::uint32_t kKeyDown = 10, kKeyUp = 11, kFlagsChanged = 12;
}

void RawKeyTranslator::reset(const char (&keymap)[32], bool capsLocked) {
    down_.reset();
    for (unsigned code = 0; code < down_.size(); ++code)
        if ((static_cast<unsigned char>(keymap[code / 8]) >> (code % 8)) & 1U) down_.set(code);
    capsLocked_ = capsLocked;
}

std::optional<platform::TapEvent> RawKeyTranslator::translate(unsigned keyCode, bool press, bool repeatFlag,
                                                              const ModifierKeys& modifiers) {
    if (keyCode >= down_.size()) return std::nullopt;
    const bool repeat = press && (down_.test(keyCode) || repeatFlag);
    down_.set(keyCode, press);
    const std::uint64_t flag = modifiers.flagOf(keyCode);
    platform::TapEvent event;
    event.keyCode = virtualKeyCode(keyCode);  // -1 for a key the Mac keyboard lacks
    if (flag == kAlphaShiftFlag) {
        // A lock: each press turns it over, as the Caps Lock light does.
        if (!press || repeat) return std::nullopt;
        capsLocked_ = !capsLocked_;
        event.type = kFlagsChanged;
    } else if (flag != 0) {
        if (repeat) return std::nullopt;
        event.type = kFlagsChanged;
    } else {
        event.type = press ? kKeyDown : kKeyUp;
        event.autoRepeat = repeat;
    }
    event.flags = flags(modifiers);
    return event;
}

std::uint64_t RawKeyTranslator::flags(const ModifierKeys& modifiers) const {
    std::uint64_t flags = capsLocked_ ? kAlphaShiftFlag : 0;
    for (unsigned code = 0; code < down_.size(); ++code) {
        const std::uint64_t flag = modifiers.flagOf(code);
        if (down_.test(code) && flag != kAlphaShiftFlag) flags |= flag;
    }
    return flags;
}

}  // namespace nimbo::x11
