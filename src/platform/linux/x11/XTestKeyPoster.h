#pragma once
// Types keys through XTest on a connection of its own. X events carry the
// modifiers held at the time, so a key posted with flags is typed with those
// modifier keys pressed around it (the ones not held already).
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/linux/x11/ModifierKeys.h"
#include "platform/linux/x11/PostedKeys.h"
#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

class XTestKeyPoster {
public:
    // The X key events that type `keyCode` (a virtual key code) with `flags`;
    // empty when there is no such key or no XTest.
    std::vector<PostedKey> plan(int keyCode, bool down, std::uint64_t flags, std::int64_t userData);
    void send(const std::vector<PostedKey>& keys);

private:
    bool connect();
    std::shared_ptr<XConnection> connection_;
    ModifierKeys modifiers_;
};

}  // namespace nimbo::x11
