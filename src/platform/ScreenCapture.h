#pragma once
// One display's picture without the shell's own windows in it.
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Images.h"

namespace nimbo::platform {

struct ShareableDisplay {
    // The same number as the display's `Screen::number`.
    long long id = 0;
    // In points, top-left coordinates.
    Rect frame;
};

struct Grab {
    // Absent when the capture failed; `error` then says why.
    std::optional<Image> image;
    std::string error;
};

// Called on the main thread.
class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // The displays a capture can see, in the window system's order; absent
    // when capturing the screen is refused.
    virtual std::optional<std::vector<ShareableDisplay>> shareableDisplays() = 0;
    // The display at width × height pixels, every window of the shell left out
    // but the one numbered `including`, the pointer drawn in when asked.
    virtual Grab capture(long long displayId, int width, int height, std::optional<long> including,
                         bool showCursor) = 0;
};

}  // namespace nimbo::platform
