#pragma once
// Update checks. No update framework exists here, so there is never a controller.
#include <optional>
#include <string>

namespace nimbo {

class Updater {
public:
    std::optional<std::string> publicKey;
    std::optional<std::string> feed;

    void start() {}
    // Asks the framework to look for an update; false when there is none to ask.
    bool checkForUpdates() { return false; }
};

}  // namespace nimbo
