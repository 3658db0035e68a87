#include "actions/ClaudeCode.h"

namespace nimbo::ClaudeCode {

// The hand-off is not built yet: no tool is found, so no such offer is held.
std::optional<std::string> cli() {
    return std::nullopt;
}

std::optional<Target> target(const std::optional<std::string>&) {
    return std::nullopt;
}

std::pair<bool, std::optional<std::string>> open(const std::string&, const Target&) {
    return {false, "nothing to tell Claude"};
}

}  // namespace nimbo::ClaudeCode
