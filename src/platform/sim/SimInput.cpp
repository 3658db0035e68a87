#include "platform/sim/SimInput.h"

namespace nimbo::sim {

std::optional<std::string> SimPasteboard::string() {
    for (const auto& item : contents) {
        for (const auto& [type, data] : item.data) {
            if (type == "text/plain;charset=utf-8") return data;
        }
    }
    return std::nullopt;
}

bool SimPasteboard::setString(const std::string& text) {
    if (!takes) return false;
    contents = {platform::PasteboardItem{{{"text/plain;charset=utf-8", text}}}};
    ++count;
    ++writes;
    return true;
}

bool SimPasteboard::writeItems(const std::vector<platform::PasteboardItem>& items) {
    contents = items;
    ++count;
    ++writes;
    return true;
}

std::optional<platform::RunningApp> SimRunningApps::running(int pid) {
    auto found = names.find(pid);
    if (found == names.end()) return std::nullopt;
    return platform::RunningApp{pid, found->second};
}

bool SimRunningApps::activate(int pid) {
    auto app = running(pid);
    if (!app) return false;
    activated.push_back(pid);
    app_.activate(app);
    return true;
}

}  // namespace nimbo::sim
