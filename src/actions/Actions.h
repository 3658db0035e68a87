#pragma once
// Offers and their execution; this holds what other subsystems install into it.
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace nimbo::Actions {

// Opens a page path of the origin inside the control center; false when it can't.
inline std::function<bool(const std::string& path)> openInApp;

// (began, ended) of the last chord hold, on the platform clock.
inline std::optional<std::pair<double, double>> lastHold;

}  // namespace nimbo::Actions
