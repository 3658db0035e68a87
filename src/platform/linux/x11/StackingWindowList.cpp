#include "platform/linux/x11/StackingWindowList.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace nimbo::x11 {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> owned(T* reply) {
    return Reply<T>(reply, &std::free);
}

// Layers as the core counts them: 0 for ordinary windows, higher in front.
constexpr int kFloatingLayer = 3;
constexpr int kPopUpLayer = 101;

}  // namespace

struct StackingWindowList::Atoms {
    xcb_atom_t stacking = 0, pid = 0, opacity = 0, type = 0, state = 0, frameExtents = 0;
    xcb_atom_t desktop = 0, dock = 0, hidden = 0, above = 0;
    xcb_atom_t popUps[6] = {};
};

StackingWindowList::StackingWindowList(std::string displayName) : displayName_(std::move(displayName)) {}

StackingWindowList::~StackingWindowList() {
    if (connection_) xcb_disconnect(connection_);
    delete atoms_;
}

bool StackingWindowList::connect() {
    if (connection_ && !xcb_connection_has_error(connection_)) return true;
    if (connection_) xcb_disconnect(connection_);
    int screenNumber = 0;
    connection_ = xcb_connect(displayName_.empty() ? nullptr : displayName_.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_)) return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
    if (!screens.rem) return false;
    root_ = screens.data->root;

    const char* names[] = {"_NET_CLIENT_LIST_STACKING",
                           "_NET_WM_PID",
                           "_NET_WM_WINDOW_OPACITY",
                           "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_STATE",
                           "_NET_FRAME_EXTENTS",
                           "_NET_WM_WINDOW_TYPE_DESKTOP",
                           "_NET_WM_WINDOW_TYPE_DOCK",
                           "_NET_WM_STATE_HIDDEN",
                           "_NET_WM_STATE_ABOVE",
                           "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
                           "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                           "_NET_WM_WINDOW_TYPE_COMBO",
                           "_NET_WM_WINDOW_TYPE_TOOLTIP",
                           "_NET_WM_WINDOW_TYPE_NOTIFICATION",
                           "_NET_WM_WINDOW_TYPE_DND"};
    constexpr size_t count = sizeof(names) / sizeof(names[0]);
    xcb_intern_atom_cookie_t cookies[count];
    for (size_t i = 0; i < count; ++i) {
        cookies[i] = xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
    }
    xcb_atom_t atoms[count] = {};
    for (size_t i = 0; i < count; ++i) {
        auto reply = owned(xcb_intern_atom_reply(connection_, cookies[i], nullptr));
        if (reply) atoms[i] = reply->atom;
    }
    if (!atoms_) atoms_ = new Atoms;
    *atoms_ = Atoms{atoms[0],
                    atoms[1],
                    atoms[2],
                    atoms[3],
                    atoms[4],
                    atoms[5],
                    atoms[6],
                    atoms[7],
                    atoms[8],
                    atoms[9],
                    {atoms[10], atoms[11], atoms[12], atoms[13], atoms[14], atoms[15]}};
    return true;
}

std::optional<std::vector<platform::WindowInfo>> StackingWindowList::onScreen() {
    std::lock_guard guard(lock_);
    if (!connect()) return std::nullopt;
    xcb_connection_t* c = connection_;
    const Atoms& a = *atoms_;

    // Bottom to top: the window manager's stacking list, else (no window
    // manager) the root's children in stacking order.
    std::vector<xcb_window_t> windows;
    auto stacking =
        owned(xcb_get_property_reply(c, xcb_get_property(c, 0, root_, a.stacking, XCB_ATOM_WINDOW, 0, 16384), nullptr));
    if (stacking && stacking->format == 32 && xcb_get_property_value_length(stacking.get()) > 0) {
        auto* ids = static_cast<xcb_window_t*>(xcb_get_property_value(stacking.get()));
        windows.assign(ids, ids + xcb_get_property_value_length(stacking.get()) / 4);
    } else {
        auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, root_), nullptr));
        if (!tree) return std::nullopt;
        xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }

    // Every question about every window goes out before any answer is read.
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_property_cookie_t pid, opacity, type, state, frame;
    };
    std::vector<Asked> asked;
    asked.reserve(windows.size());
    for (xcb_window_t window : windows) {
        asked.push_back({xcb_get_window_attributes(c, window), xcb_get_geometry(c, window),
                         xcb_translate_coordinates(c, window, root_, 0, 0),
                         xcb_get_property(c, 0, window, a.pid, XCB_ATOM_CARDINAL, 0, 1),
                         xcb_get_property(c, 0, window, a.opacity, XCB_ATOM_CARDINAL, 0, 1),
                         xcb_get_property(c, 0, window, a.type, XCB_ATOM_ATOM, 0, 16),
                         xcb_get_property(c, 0, window, a.state, XCB_ATOM_ATOM, 0, 32),
                         xcb_get_property(c, 0, window, a.frameExtents, XCB_ATOM_CARDINAL, 0, 4)});
    }

    auto cardinals = [&](xcb_get_property_cookie_t cookie) {
        std::vector<uint32_t> values;
        auto reply = owned(xcb_get_property_reply(c, cookie, nullptr));
        if (reply && reply->format == 32) {
            auto* data = static_cast<uint32_t*>(xcb_get_property_value(reply.get()));
            values.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
        }
        return values;
    };
    auto contains = [](const std::vector<uint32_t>& list, xcb_atom_t atom) {
        return atom != 0 && std::find(list.begin(), list.end(), atom) != list.end();
    };

    std::vector<platform::WindowInfo> frontToBack;
    for (size_t i = windows.size(); i-- > 0;) {
        const Asked& q = asked[i];
        // Every reply is read, even of windows left out, so none is left behind.
        auto attributes = owned(xcb_get_window_attributes_reply(c, q.attributes, nullptr));
        auto geometry = owned(xcb_get_geometry_reply(c, q.geometry, nullptr));
        auto origin = owned(xcb_translate_coordinates_reply(c, q.origin, nullptr));
        auto pid = cardinals(q.pid);
        auto opacity = cardinals(q.opacity);
        auto types = cardinals(q.type);
        auto states = cardinals(q.state);
        auto frame = cardinals(q.frame);

        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        if (contains(states, a.hidden)) continue;
        if (contains(types, a.desktop) || contains(types, a.dock)) continue;

        platform::WindowInfo info;
        info.number = static_cast<long>(windows[i]);
        info.ownerPid = pid.empty() ? 0 : static_cast<int>(pid[0]);
        info.layer = contains(states, a.above) ? kFloatingLayer : 0;
        for (xcb_atom_t popUp : a.popUps) {
            if (contains(types, popUp)) info.layer = kPopUpLayer;
        }
        if (!opacity.empty()) info.alpha = static_cast<double>(opacity[0]) / 0xFFFFFFFFu;
        if (geometry && origin) {
            // The frame the window manager drew around it belongs to the window.
            double left = frame.size() == 4 ? frame[0] : 0, right = frame.size() == 4 ? frame[1] : 0;
            double top = frame.size() == 4 ? frame[2] : 0, bottom = frame.size() == 4 ? frame[3] : 0;
            info.bounds = Rect{{origin->dst_x - left, origin->dst_y - top},
                               {geometry->width + left + right, geometry->height + top + bottom}};
        }
        frontToBack.push_back(info);
    }
    return frontToBack;
}

}  // namespace nimbo::x11
