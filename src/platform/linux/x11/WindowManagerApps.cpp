#include "platform/linux/x11/WindowManagerApps.h"

#include <cstdlib>
#include <fstream>
#include <vector>

namespace nimbo::x11 {
namespace {

enum Name : size_t { kCheck, kActiveWindow, kStackingList, kPid, kType, kDesktop, kDock };
const std::vector<const char*> kNames{
    "_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW",          "_NET_CLIENT_LIST_STACKING", "_NET_WM_PID",
    "_NET_WM_WINDOW_TYPE",      "_NET_WM_WINDOW_TYPE_DESKTOP", "_NET_WM_WINDOW_TYPE_DOCK"};

// A pager's request in the window manager's terms: it always honours those.
constexpr uint32_t kSourcePager = 2;

// The process as /proc tells it: absent when it is gone or only a zombie
// waiting to be reaped; its command name otherwise.
std::optional<std::string> processName(int pid) {
    const std::string folder = "/proc/" + std::to_string(pid);
    std::ifstream stat(folder + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return std::nullopt;
    // "PID (COMM) STATE ...": the name may hold spaces and parentheses, the state follows the last ')'.
    const size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size()) return std::nullopt;
    const char state = line[close + 2];
    if (state == 'Z' || state == 'X') return std::nullopt;
    std::ifstream comm(folder + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

uint32_t firstOf(const std::vector<uint32_t>& values) {
    return values.empty() ? 0 : values.front();
}

}  // namespace

WindowManagerApps::WindowManagerApps(std::string displayName, std::function<std::optional<std::string>(int pid)> nameOf)
    : session_(std::move(displayName), kNames), nameOf_(std::move(nameOf)) {}

std::optional<platform::RunningApp> WindowManagerApps::running(int pid) {
    if (pid <= 0) return std::nullopt;
    auto name = processName(pid);
    if (!name) return std::nullopt;
    if (nameOf_) {
        if (auto own = nameOf_(pid); own && !own->empty()) name = own;
    }
    return platform::RunningApp{pid, *name};
}

bool WindowManagerApps::isActive(int pid) {
    return pid > 0 && frontPid() == pid;
}

std::optional<int> WindowManagerApps::frontPid() {
    std::lock_guard guard(lock_);
    xcb_connection_t* c = session_.connection();
    if (!c) return std::nullopt;
    const xcb_window_t root = session_.root();
    xcb_window_t window = 0;
    if (windowManagerRuns(c, root, session_.atom(kCheck))) {
        window = windowIn(c, root, session_.atom(kActiveWindow));
    } else {
        // No window manager: the top-level holding the input focus.
        auto focus = owned(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        window = focus ? focus->focus : 0;
        for (int depth = 0; depth < 64 && window != 0 && window != XCB_INPUT_FOCUS_POINTER_ROOT && window != root;
             ++depth) {
            auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
            if (!tree || tree->parent == root) break;
            window = tree->parent;
        }
        if (window == XCB_INPUT_FOCUS_POINTER_ROOT || window == root) window = 0;
    }
    if (window == 0) return std::nullopt;
    const uint32_t pid =
        firstOf(cardinals(c, xcb_get_property(c, 0, window, session_.atom(kPid), XCB_ATOM_CARDINAL, 0, 1)));
    if (pid == 0) return std::nullopt;
    return static_cast<int>(pid);
}

bool WindowManagerApps::activate(int pid) {
    if (pid <= 0) return false;
    std::lock_guard guard(lock_);
    xcb_connection_t* c = session_.connection();
    if (!c) return false;
    const xcb_window_t root = session_.root();

    // Bottom to top: the window manager's stacking list, else (none) the root's children.
    std::vector<xcb_window_t> windows;
    const bool managed = windowManagerRuns(c, root, session_.atom(kCheck));
    auto stacking = owned(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, session_.atom(kStackingList), XCB_ATOM_WINDOW, 0, 16384), nullptr));
    if (managed && stacking && stacking->format == 32) {
        auto* ids = static_cast<xcb_window_t*>(xcb_get_property_value(stacking.get()));
        windows.assign(ids, ids + xcb_get_property_value_length(stacking.get()) / 4);
    } else if (auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr))) {
        xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }

    struct Asked {
        xcb_get_property_cookie_t pid, type;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Asked> asked;
    asked.reserve(windows.size());
    for (xcb_window_t window : windows) {
        asked.push_back({xcb_get_property(c, 0, window, session_.atom(kPid), XCB_ATOM_CARDINAL, 0, 1),
                         xcb_get_property(c, 0, window, session_.atom(kType), XCB_ATOM_ATOM, 0, 16),
                         xcb_get_window_attributes(c, window)});
    }
    xcb_window_t chosen = 0;
    for (size_t i = windows.size(); i-- > 0;) {
        // Every reply is read, even past the one chosen, so none is left behind.
        const uint32_t owner = firstOf(cardinals(c, asked[i].pid));
        const auto types = cardinals(c, asked[i].type);
        auto attributes = owned(xcb_get_window_attributes_reply(c, asked[i].attributes, nullptr));
        if (chosen != 0 || owner != static_cast<uint32_t>(pid)) continue;
        bool panel = false;
        for (uint32_t type : types) panel = panel || type == session_.atom(kDesktop) || type == session_.atom(kDock);
        if (panel) continue;
        // A managed window may be minimised, which activating undoes; an unmanaged one must be on screen.
        if (!managed && (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)) continue;
        chosen = windows[i];
    }
    if (chosen == 0) return false;

    // Each request is checked, which also waits for the server to have taken it.
    auto check = [c](xcb_void_cookie_t cookie) { std::free(xcb_request_check(c, cookie)); };
    if (managed) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = chosen;
        event.type = session_.atom(kActiveWindow);
        event.data.data32[0] = kSourcePager;
        event.data.data32[1] = XCB_CURRENT_TIME;
        check(xcb_send_event_checked(c, 0, root,
                                     XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                     reinterpret_cast<const char*>(&event)));
    } else {
        // Nobody to ask: raise it and give it the keyboard, as a window manager would.
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        check(xcb_configure_window_checked(c, chosen, XCB_CONFIG_WINDOW_STACK_MODE, &above));
        check(xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_POINTER_ROOT, chosen, XCB_CURRENT_TIME));
    }
    return true;
}

}  // namespace nimbo::x11
