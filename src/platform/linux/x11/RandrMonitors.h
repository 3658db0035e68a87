#pragma once
// The X server's monitor list (RandR 1.5) in device pixels of the root window.
// Monitors made with `xrandr --setmonitor` are included, outputs or not: GDK
// leaves monitors without an output out of its own list.
#include <vector>

namespace nimbo::x11 {

struct Monitor {
    unsigned long name = 0;  // the monitor's name atom, the same while the server runs
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool primary = false;
    bool operator==(const Monitor&) const = default;
};

// The primary first, the rest in the server's order; without a primary the
// server's first stays first.
std::vector<Monitor> primaryFirst(std::vector<Monitor> monitors);

// The default display's active monitors, primary first. A server without
// RandR 1.5 answers the whole root window as one monitor.
std::vector<Monitor> randrMonitors();

}  // namespace nimbo::x11
