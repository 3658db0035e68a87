#pragma once
// Offers and their execution; this holds what other subsystems install into it.
#include <functional>
#include <string>

namespace nimbo::Actions {

// Opens a page path of the origin inside the control center; false when it can't.
inline std::function<bool(const std::string& path)> openInApp;

}  // namespace nimbo::Actions
