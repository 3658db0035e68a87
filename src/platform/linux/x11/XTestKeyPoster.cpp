#include "platform/linux/x11/XTestKeyPoster.h"

#include <X11/extensions/XTest.h>

#include "platform/linux/x11/KeyCodes.h"

namespace nimbo::x11 {

bool XTestKeyPoster::connect() {
    if (connection_ && connection_->alive()) return true;
    connection_ = XConnection::open([this](XEvent& event) {
        if (event.type != MappingNotify) return;
        XRefreshKeyboardMapping(&event.xmapping);
        modifiers_ = ModifierKeys::read(connection_->display());
    });
    if (!connection_) return false;
    int firstEvent = 0, firstError = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(connection_->display(), &firstEvent, &firstError, &major, &minor)) {
        connection_.reset();
        return false;
    }
    modifiers_ = ModifierKeys::read(connection_->display());
    return true;
}

std::vector<PostedKey> XTestKeyPoster::plan(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) {
    const int code = hardwareKeyCode(keyCode);
    if (code < 0 || !connect()) return {};
    char keymap[32] = {};
    XQueryKeymap(connection_->display(), keymap);
    const auto isDown = [&keymap](unsigned key) {
        return key < 256 && ((static_cast<unsigned char>(keymap[key / 8]) >> (key % 8)) & 1U) != 0;
    };
    const auto held = [&](std::uint64_t flag) {
        for (unsigned key = 0; key < 256; ++key)
            if (modifiers_.flagOf(key) == flag && isDown(key)) return true;
        return false;
    };
    std::vector<unsigned> added;
    for (std::uint64_t flag : kHeldFlags) {
        if ((flags & flag) != 0 && !held(flag) && modifiers_.keyFor(flag) != 0)
            added.push_back(modifiers_.keyFor(flag));
    }

    std::vector<PostedKey> keys;
    keys.reserve(2 * added.size() + 1);
    for (unsigned modifier : added) keys.push_back({modifier, true, userData, true});
    keys.push_back({static_cast<unsigned>(code), down, userData, false});
    for (auto it = added.rbegin(); it != added.rend(); ++it) keys.push_back({*it, false, userData, true});
    return keys;
}

void XTestKeyPoster::send(const std::vector<PostedKey>& keys) {
    if (keys.empty() || !connection_ || !connection_->alive()) return;
    Display* display = connection_->display();
    for (const auto& key : keys) XTestFakeKeyEvent(display, key.keyCode, key.press ? True : False, CurrentTime);
    XFlush(display);
}

}  // namespace nimbo::x11
