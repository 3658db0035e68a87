#pragma once
// The accessibility walk of the front windows.

#include "platform/Geometry.h"

namespace nimbo::Elements {

// Prepares text recognition ahead of the first ask.
inline void warm() {}
// The front application changed: cached reads are stale.
inline void touch() {}
// A press began on a display: the walk of it may start early.
inline void prepare(const Rect& /*bounds*/) {}
// The early walk is not wanted after all.
inline void discardEarly() {}

}  // namespace nimbo::Elements
