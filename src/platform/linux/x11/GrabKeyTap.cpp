#include "platform/linux/x11/GrabKeyTap.h"

#include <X11/XKBlib.h>

#include <algorithm>

#include "platform/linux/x11/KeyCodes.h"

namespace nimbo::x11 {
namespace {
constexpr std::uint64_t kHeldFlagsMask = kShiftFlag | kControlFlag | kOptionFlag | kCommandFlag;
}

std::shared_ptr<GrabKeyTap> GrabKeyTap::create(const std::vector<int>& keyCodes, std::uint64_t flags,
                                               Callback callback) {
    std::shared_ptr<GrabKeyTap> tap(new GrabKeyTap(keyCodes, flags & kHeldFlagsMask, std::move(callback)));
    if (!tap->connect()) return nullptr;
    tap->enabled_ = tap->grab();
    return tap->enabled_ ? tap : nullptr;
}

GrabKeyTap::~GrabKeyTap() {
    if (connection_) connection_->close();
}

bool GrabKeyTap::connect() {
    // The connection belongs to this tap and is closed before the tap goes.
    connection_ = XConnection::open([this](XEvent& event) { handle(event); });
    if (!connection_) return false;
    // Held keys repeat as press, press, press, release rather than as pairs.
    XkbSetDetectableAutoRepeat(connection_->display(), True, nullptr);
    modifiers_ = ModifierKeys::read(connection_->display());
    return true;
}

bool GrabKeyTap::isEnabled() const {
    return enabled_ && !invalidated_ && connection_ && connection_->alive();
}

void GrabKeyTap::setEnabled(bool enabled) {
    if (invalidated_) return;
    if (!enabled) {
        if (connection_ && connection_->alive()) ungrab();
        enabled_ = false;
        return;
    }
    if (isEnabled()) return;
    if (!connection_ || !connection_->alive()) {
        if (connection_) connection_->close();
        connection_.reset();
        if (!connect()) return;
    }
    enabled_ = grab();
}

void GrabKeyTap::invalidate() {
    invalidated_ = true;
    enabled_ = false;
    if (connection_) connection_->close();  // the server drops the grabs with the connection
}

bool GrabKeyTap::grab() {
    Display* display = connection_->display();
    const unsigned state = modifiers_.stateOfFlags(flags_);
    // Caps Lock and Num Lock are states rather than held keys: grab with and without them.
    std::vector<unsigned> locks = {0, LockMask};
    if (modifiers_.numLockMask() != 0)
        locks.insert(locks.end(), {modifiers_.numLockMask(), LockMask | modifiers_.numLockMask()});
    std::vector<unsigned> codes;
    for (int keyCode : keyCodes_)
        if (const int code = hardwareKeyCode(keyCode); code > 0) codes.push_back(static_cast<unsigned>(code));
    if (codes.empty()) return false;
    grabbed_ = codes;
    const int error = connection_->trapErrors([&] {
        for (unsigned code : codes) {
            for (unsigned lock : locks) {
                XGrabKey(display, static_cast<int>(code), state | lock, connection_->root(), False, GrabModeAsync,
                         GrabModeSync);
            }
        }
    });
    if (error == 0) return true;
    ungrab();  // BadAccess: another client holds one of them; let go of the rest
    return false;
}

void GrabKeyTap::ungrab() {
    Display* display = connection_->display();
    connection_->trapErrors([&] {
        for (unsigned code : grabbed_) XUngrabKey(display, static_cast<int>(code), AnyModifier, connection_->root());
    });
    grabbed_.clear();
}

void GrabKeyTap::handle(XEvent& event) {
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        modifiers_ = ModifierKeys::read(connection_->display());
        return;
    }
    if (event.type != KeyPress && event.type != KeyRelease) return;
    const auto keep = shared_from_this();  // the callback may let go of the tap
    const auto connection = connection_;
    const XKeyEvent& key = event.xkey;
    const bool press = event.type == KeyPress;
    const bool repeat = press && key.keycode < down_.size() && down_.test(key.keycode);
    if (key.keycode < down_.size()) down_.set(key.keycode, press);

    // While a grab is active every key comes here, the listed ones with other
    // modifiers too; only the combination asked for reaches the callback.
    const std::uint64_t flags = modifiers_.flagsOfState(key.state);
    const bool listed = std::find(grabbed_.begin(), grabbed_.end(), key.keycode) != grabbed_.end();
    bool swallow = false;
    if (enabled_ && listed && (flags & kHeldFlagsMask) == flags_) {
        platform::TapEvent tapEvent;
        tapEvent.type = press ? 10 : 11;
        tapEvent.flags = flags;
        tapEvent.keyCode = virtualKeyCode(key.keycode);
        tapEvent.autoRepeat = repeat;
        swallow = callback_(tapEvent);
    }
    // Only the press that started the grab froze the keyboard and can be
    // replayed; a release (or any key while the grab lasts) has nowhere else
    // to go, so an answer of false can't give it back.
    if (!press || !connection->alive()) return;
    // A replayed key's release goes to the focused window, out of sight;
    // forget the press so the next one isn't taken for a repeat.
    if (!swallow && key.keycode < down_.size()) down_.reset(key.keycode);
    XAllowEvents(connection->display(), swallow ? AsyncKeyboard : ReplayKeyboard, CurrentTime);
    XFlush(connection->display());
}

}  // namespace nimbo::x11
