#pragma once
// The accessibility walk of the front windows, fitted to the text recognised
// in a screenshot: the numbered targets a page may point at.
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Images.h"
#include "platform/Json.h"

namespace nimbo::platform {
class Platform;
}

namespace nimbo::Elements {

// The desktop every operation below reads; set once at start-up (tests: the sim).
inline platform::Platform* desktop = nullptr;
inline void attach(platform::Platform& platform) {
    desktop = &platform;
}

// Prepares text recognition ahead of the first ask.
inline void warm() {}
// The front application changed: cached reads are stale.
inline void touch() {}
// A press began on a display: the walk of it may start early.
inline void prepare(const Rect& /*bounds*/) {}
// The early walk is not wanted after all.
inline void discardEarly() {}
// The element maps of one screenshot of the display at `bounds` (global
// top-left points); remembered under `capture` when given. Slow: call off the
// main thread.
inline Json build(const platform::Image& /*image*/, const Rect& /*bounds*/, std::optional<int> /*capture*/) {
    return Json::array();
}
// The web address of the front application's document, when it has one.
inline std::optional<std::string> frontDocument() {
    return std::nullopt;
}
// {"name", "role"} of the named control under the pointer.
inline MaybeJson atPointer() {
    return std::nullopt;
}

}  // namespace nimbo::Elements
