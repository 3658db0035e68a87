#pragma once
// One screenshot and the display's top-left bounds.
#include "platform/Geometry.h"

namespace nimbo::Capture {

struct Shot {
    Rect bounds;
};

}  // namespace nimbo::Capture
