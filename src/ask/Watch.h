#pragma once
// A tiny grey picture of a display, cheap enough for a page to watch the
// screen with. The shell's own windows are never in it.
#include "platform/Json.h"
#include "platform/Platform.h"

namespace nimbo::Watch {

// {"displayId", "width", "height", "grey64", "at"}: the display showing
// `screen` (else the first) at 320 pixels on its longer side, one linear-grey
// byte per pixel in Base64, made at "at" (milliseconds since 1970). Absent
// when it can't be made. Called on the main thread.
MaybeJson frame(platform::Platform& platform, const platform::Screen& screen);

}  // namespace nimbo::Watch
