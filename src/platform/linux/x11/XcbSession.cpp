#include "platform/linux/x11/XcbSession.h"

#include <cstring>

namespace nimbo::x11 {

XcbSession::XcbSession(std::string displayName, std::vector<const char*> atomNames)
    : displayName_(std::move(displayName)), atomNames_(std::move(atomNames)) {}

XcbSession::~XcbSession() {
    if (connection_) xcb_disconnect(connection_);
}

xcb_connection_t* XcbSession::connection() {
    if (connection_ && !xcb_connection_has_error(connection_)) return connection_;
    if (connection_) xcb_disconnect(connection_);
    int screenNumber = 0;
    connection_ = xcb_connect(displayName_.empty() ? nullptr : displayName_.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_)) return nullptr;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
    if (!screens.rem) return nullptr;
    root_ = screens.data->root;

    // Every name is asked before any answer is read.
    std::vector<xcb_intern_atom_cookie_t> cookies;
    cookies.reserve(atomNames_.size());
    for (const char* name : atomNames_) {
        cookies.push_back(xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name));
    }
    atoms_.assign(atomNames_.size(), 0);
    for (size_t i = 0; i < cookies.size(); ++i) {
        if (auto reply = owned(xcb_intern_atom_reply(connection_, cookies[i], nullptr))) atoms_[i] = reply->atom;
    }
    return connection_;
}

std::vector<uint32_t> cardinals(xcb_connection_t* connection, xcb_get_property_cookie_t cookie) {
    std::vector<uint32_t> values;
    auto reply = owned(xcb_get_property_reply(connection, cookie, nullptr));
    if (reply && reply->format == 32) {
        auto* data = static_cast<uint32_t*>(xcb_get_property_value(reply.get()));
        values.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    return values;
}

xcb_window_t windowIn(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return 0;
    return *static_cast<xcb_window_t*>(xcb_get_property_value(reply.get()));
}

bool windowManagerRuns(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t check) {
    const xcb_window_t own = windowIn(connection, root, check);
    return own != 0 && windowIn(connection, own, check) == own;
}

}  // namespace nimbo::x11
