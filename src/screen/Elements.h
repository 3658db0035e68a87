#pragma once
// The accessibility walk of the front windows.

namespace nimbo::Elements {

// Prepares text recognition ahead of the first ask.
inline void warm() {}
// The front application changed: cached reads are stale.
inline void touch() {}

}  // namespace nimbo::Elements
