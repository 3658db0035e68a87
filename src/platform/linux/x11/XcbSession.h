#pragma once
// An XCB connection of one's own, for code that asks the X server from any
// thread: XCB is thread-safe and reports a window that vanished as a failed
// reply instead of a process-wide error. Made on first use and made again
// after it broke; callers hold their own lock around its use.
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace nimbo::x11 {

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
XcbReply<T> owned(T* reply) {
    return XcbReply<T>(reply, &std::free);
}

class XcbSession {
public:
    // `displayName` as GDK opened it, empty for $DISPLAY; the atoms named
    // are interned on each connection.
    XcbSession(std::string displayName, std::vector<const char*> atomNames);
    ~XcbSession();
    XcbSession(const XcbSession&) = delete;
    XcbSession& operator=(const XcbSession&) = delete;

    // The connection, its atoms interned; null when the server can't be reached.
    xcb_connection_t* connection();
    xcb_window_t root() const { return root_; }
    // The atom of the name at `index` of those given; 0 when it could not be interned.
    xcb_atom_t atom(size_t index) const { return index < atoms_.size() ? atoms_[index] : 0; }

private:
    std::string displayName_;
    std::vector<const char*> atomNames_;
    std::vector<xcb_atom_t> atoms_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
};

// The items of a format-32 property; empty when it is missing or of another format.
std::vector<uint32_t> cardinals(xcb_connection_t* connection, xcb_get_property_cookie_t cookie);

// A property holding one window; 0 when it is missing.
xcb_window_t windowIn(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property);

// Whether a window manager runs now: the check window it names
// (`_NET_SUPPORTING_WM_CHECK`, given as `check`) names itself. One that died
// leaves its lists on the root window, out of date.
bool windowManagerRuns(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t check);

}  // namespace nimbo::x11
