#pragma once
// Display geometry. The arrangement is described as one text line per display,
// so a change that moves nothing can be recognised by comparing lists.
#include <string>
#include <vector>

namespace nimbo::Displays {

// Not yet read from the window system: an empty arrangement.
inline std::vector<std::string> layout() {
    return {};
}

}  // namespace nimbo::Displays
