#pragma once
// Facts about the image or video file shown in front.
#include "platform/Json.h"

namespace nimbo::FileFacts {

// The front document's facts, when it is an image or video file. Slow: call
// off the main thread.
inline MaybeJson front() {
    return std::nullopt;
}

}  // namespace nimbo::FileFacts
