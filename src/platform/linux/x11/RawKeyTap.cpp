#include "platform/linux/x11/RawKeyTap.h"

#include <X11/extensions/XInput2.h>

#include <algorithm>
#include <string_view>

namespace nimbo::x11 {

std::shared_ptr<RawKeyTap> RawKeyTap::create(std::uint64_t mask, Callback callback) {
    std::shared_ptr<RawKeyTap> tap(new RawKeyTap(mask, std::move(callback)));
    if (!tap->connect()) return nullptr;
    tap->setEnabled(true);
    return tap->enabled_ ? tap : nullptr;
}

RawKeyTap::~RawKeyTap() {
    if (connection_) connection_->close();
}

bool RawKeyTap::connect() {
    // The connection belongs to this tap and is closed before the tap goes.
    connection_ = XConnection::open([this](XEvent& event) { handle(event); });
    if (!connection_) return false;
    Display* display = connection_->display();
    int firstEvent = 0, firstError = 0;
    int major = 2, minor = 2;  // 2.1 and later deliver raw events during grabs
    if (!XQueryExtension(display, "XInputExtension", &xinputOpcode_, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2) {
        connection_->close();
        connection_.reset();
        return false;
    }
    // Events typed through XTest come from these slave keyboards.
    xtestDevices_.clear();
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        const std::string_view name = devices[i].name ? devices[i].name : "";
        if (devices[i].use == XISlaveKeyboard && name.find("XTEST") != std::string_view::npos)
            xtestDevices_.push_back(devices[i].deviceid);
    }
    if (devices) XIFreeDeviceInfo(devices);
    modifiers_ = ModifierKeys::read(display);
    return true;
}

bool RawKeyTap::isEnabled() const {
    return enabled_ && !invalidated_ && connection_ && connection_->alive() && selectionInPlace();
}

void RawKeyTap::setEnabled(bool enabled) {
    if (invalidated_) return;
    posted_.clear();
    if (!enabled) {
        if (connection_ && connection_->alive()) select(false);
        enabled_ = false;
        return;
    }
    if (!connection_ || !connection_->alive()) {
        if (connection_) connection_->close();
        connection_.reset();
        if (!connect()) {
            enabled_ = false;
            return;
        }
    }
    // Counted before selecting: a key pressed in between is missed rather
    // than taken for a repeat.
    startOver();
    enabled_ = select(true);
}

void RawKeyTap::invalidate() {
    invalidated_ = true;
    enabled_ = false;
    posted_.clear();
    if (connection_) connection_->close();
}

void RawKeyTap::expect(const std::vector<PostedKey>& keys) {
    if (!enabled_) return;
    const std::int64_t now = g_get_monotonic_time();
    for (const auto& key : keys) posted_.add(key, now);
}

bool RawKeyTap::select(bool on) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on) {
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
    }
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    Display* display = connection_->display();
    return connection_->trapErrors([&] { XISelectEvents(display, connection_->root(), &mask, 1); }) == 0;
}

bool RawKeyTap::selectionInPlace() const {
    int count = 0;
    XIEventMask* masks = XIGetSelectedEvents(connection_->display(), connection_->root(), &count);
    bool selected = false;
    for (int i = 0; i < count; ++i) {
        const XIEventMask& mask = masks[i];
        if (mask.deviceid == XIAllMasterDevices && mask.mask_len >= XIMaskLen(XI_RawKeyRelease) &&
            XIMaskIsSet(mask.mask, XI_RawKeyPress) && XIMaskIsSet(mask.mask, XI_RawKeyRelease))
            selected = true;
    }
    if (masks) XFree(masks);
    return selected && connection_->alive();
}

void RawKeyTap::startOver() {
    Display* display = connection_->display();
    char keymap[32] = {};
    XQueryKeymap(display, keymap);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned state = 0;
    XQueryPointer(display, connection_->root(), &root, &child, &rootX, &rootY, &x, &y, &state);
    translator_.reset(keymap, (state & LockMask) != 0);
}

void RawKeyTap::handle(XEvent& event) {
    const auto keep = shared_from_this();  // the callback may let go of the tap
    Display* display = connection_->display();
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        modifiers_ = ModifierKeys::read(display);
        return;
    }
    if (event.type != GenericEvent || event.xcookie.extension != xinputOpcode_) return;
    if (!XGetEventData(display, &event.xcookie)) return;
    const int type = event.xcookie.evtype;
    const bool isKey = type == XI_RawKeyPress || type == XI_RawKeyRelease;
    const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
    const unsigned keyCode = isKey ? static_cast<unsigned>(raw->detail) : 0;
    const bool repeatFlag = isKey && (raw->flags & XIKeyRepeat) != 0;
    const int source = isKey ? raw->sourceid : 0;
    XFreeEventData(display, &event.xcookie);
    // Events already queued when the tap was switched off are dropped.
    if (isKey && enabled_) deliver(keyCode, type == XI_RawKeyPress, repeatFlag, source);
}

void RawKeyTap::deliver(unsigned keyCode, bool press, bool repeatFlag, int sourceDevice) {
    std::optional<PostedKey> posted;
    if (std::find(xtestDevices_.begin(), xtestDevices_.end(), sourceDevice) != xtestDevices_.end())
        posted = posted_.take(keyCode, press, g_get_monotonic_time());
    auto event = translator_.translate(keyCode, press, repeatFlag, modifiers_);
    if (!event) return;
    // A posted key's flags ride on its own event, as with an event-tap post.
    if (posted && posted->carriesFlags && event->type == 12) return;
    if (posted) event->userData = posted->userData;
    if ((mask_ & (std::uint64_t{1} << event->type)) != 0) callback_(*event);
}

}  // namespace nimbo::x11
