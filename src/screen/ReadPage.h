#pragma once
// The whole text of what is in front, beyond what the screen shows.
#include "platform/Json.h"

namespace nimbo::ReadPage {

// Reads the front document ahead of a question; what it read, if anything.
// Slow: call off the main thread.
inline MaybeJson prefetch() {
    return std::nullopt;
}

}  // namespace nimbo::ReadPage
