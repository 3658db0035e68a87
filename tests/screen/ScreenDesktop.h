#pragma once
// A simulated desktop the element walk is attached to, with helpers that put
// application windows on it: one entry in the window list and the matching
// accessibility window.
#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"
#include "screen/Elements.h"

namespace nimbo::testing {

class ScreenDesktop : public ::testing::Test {
protected:
    static constexpr Rect kDisplay{{0, 0}, {1920, 1080}};

    ScreenDesktop() { Elements::attach(sim); }

    // A window of `pid` on screen behind the ones added before it.
    sim::SimRef window(int pid, Rect frame) {
        if (!sim.ax.apps.contains(pid)) sim.ax.addApp(pid);
        auto root = sim.ax.apps[pid].root;
        auto made = sim.ax.add(root, "AXWindow", "", frame);
        auto& list = root->attributes["AXWindows"];
        if (!std::holds_alternative<std::vector<platform::AXRef>>(list)) list = std::vector<platform::AXRef>{};
        std::get<std::vector<platform::AXRef>>(list).push_back(made);
        platform::WindowInfo info;
        info.ownerPid = pid;
        info.layer = 0;
        info.bounds = frame;
        sim.stacking.windows->push_back(info);
        return made;
    }
    void front(int pid) { sim.app.front = platform::RunningApp{pid, "app"}; }

    const std::vector<std::string>& logLines() const { return sim.output.lines; }

    sim::SimPlatform sim;
};

inline std::vector<std::string> namesOf(const std::vector<Elements::Node>& nodes) {
    std::vector<std::string> names;
    names.reserve(nodes.size());
    for (const auto& node : nodes) names.push_back(node.name);
    return names;
}

}  // namespace nimbo::testing
