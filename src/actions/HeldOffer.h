#pragma once
// The one held offer behind its lock, shared by staging and the accepts.
#include <cstdint>
#include <optional>
#include <string>

#include "actions/Actions.h"

namespace nimbo::Actions::detail {

// How old an offer may be and still be taken.
inline constexpr double kOfferLifetime = 300.0;

// Holds `pending` when `ticket` is still the current one; false when a newer
// proposal or a clear came in between.
bool hold(std::int64_t ticket, Pending pending);

// What the user did to accept: when it began and, for a click or a spoken
// yes, which offer it was for; a tap names none and needs an offer that allows it.
struct Gesture {
    double began = 0;
    std::optional<std::string> id;
    bool tap = false;
};

// Takes the held offer out when the gesture may accept it; otherwise it stays held.
std::optional<Pending> take(const Gesture& gesture);

}  // namespace nimbo::Actions::detail
