#include "platform/linux/x11/StackingWindowList.h"

#include <algorithm>
#include <optional>

namespace nimbo::x11 {
namespace {

// Layers as the core counts them: 0 for ordinary windows, higher in front.
constexpr int kFloatingLayer = 3;
constexpr int kPopUpLayer = 101;

enum Name : size_t {
    kCheck,
    kStackingList,
    kPid,
    kOpacity,
    kType,
    kState,
    kFrameExtents,
    kDesktop,
    kDock,
    kHidden,
    kAbove,
    kFirstPopUp
};
const std::vector<const char*> kNames{
    "_NET_SUPPORTING_WM_CHECK", "_NET_CLIENT_LIST_STACKING", "_NET_WM_PID", "_NET_WM_WINDOW_OPACITY",
    "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_FRAME_EXTENTS", "_NET_WM_WINDOW_TYPE_DESKTOP",
    "_NET_WM_WINDOW_TYPE_DOCK", "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_ABOVE",
    // Every name from here on is a pop-up's window type.
    "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_POPUP_MENU", "_NET_WM_WINDOW_TYPE_COMBO",
    "_NET_WM_WINDOW_TYPE_TOOLTIP", "_NET_WM_WINDOW_TYPE_NOTIFICATION", "_NET_WM_WINDOW_TYPE_DND"};

}  // namespace

StackingWindowList::StackingWindowList(std::string displayName) : session_(std::move(displayName), kNames) {}

StackingWindowList::~StackingWindowList() = default;

std::optional<std::vector<platform::WindowInfo>> StackingWindowList::onScreen() {
    std::lock_guard guard(lock_);
    xcb_connection_t* c = session_.connection();
    if (!c) return std::nullopt;
    const xcb_window_t root = session_.root();
    auto a = [&](size_t name) { return session_.atom(name); };

    // Bottom to top: the window manager's stacking list, else (no window
    // manager) the root's children in stacking order.
    std::vector<xcb_window_t> windows;
    auto stacking = owned(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, a(kStackingList), XCB_ATOM_WINDOW, 0, 16384), nullptr));
    if (stacking && stacking->format == 32 && xcb_get_property_value_length(stacking.get()) > 0 &&
        windowManagerRuns(c, root, a(kCheck))) {
        auto* ids = static_cast<xcb_window_t*>(xcb_get_property_value(stacking.get()));
        windows.assign(ids, ids + xcb_get_property_value_length(stacking.get()) / 4);
    } else {
        auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
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
                         xcb_translate_coordinates(c, window, root, 0, 0),
                         xcb_get_property(c, 0, window, a(kPid), XCB_ATOM_CARDINAL, 0, 1),
                         xcb_get_property(c, 0, window, a(kOpacity), XCB_ATOM_CARDINAL, 0, 1),
                         xcb_get_property(c, 0, window, a(kType), XCB_ATOM_ATOM, 0, 16),
                         xcb_get_property(c, 0, window, a(kState), XCB_ATOM_ATOM, 0, 32),
                         xcb_get_property(c, 0, window, a(kFrameExtents), XCB_ATOM_CARDINAL, 0, 4)});
    }

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
        auto pid = cardinals(c, q.pid);
        auto opacity = cardinals(c, q.opacity);
        auto types = cardinals(c, q.type);
        auto states = cardinals(c, q.state);
        auto frame = cardinals(c, q.frame);

        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        if (contains(states, a(kHidden))) continue;
        if (contains(types, a(kDesktop)) || contains(types, a(kDock))) continue;

        platform::WindowInfo info;
        info.number = static_cast<long>(windows[i]);
        info.ownerPid = pid.empty() ? 0 : static_cast<int>(pid[0]);
        info.layer = contains(states, a(kAbove)) ? kFloatingLayer : 0;
        for (size_t popUp = kFirstPopUp; popUp < kNames.size(); ++popUp) {
            if (contains(types, a(popUp))) info.layer = kPopUpLayer;
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
