#pragma once
// Offers and their execution; this holds what other subsystems install into it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace nimbo::Actions {

// Opens a page path of the origin inside the control center; false when it can't.
inline std::function<bool(const std::string& path)> openInApp;

// (began, ended) of the last chord hold, on the platform clock.
inline std::optional<std::pair<double, double>> lastHold;
// When the shell last clicked by itself, on the platform clock: click
// watching ignores its own clicks for a second.
inline std::optional<double> lastOwnClick;
// Drops the held offer: the generation moves on, so work still under way for
// the old offer finds it stale.
void dropHeld();
// Advances with every drop; read under the same lock.
std::uint64_t generation();

}  // namespace nimbo::Actions
