#pragma once
// Video files read with FFmpeg's libavformat: the container and its streams'
// headers, probed within a bounded size and duration, never decoded.
#include <optional>
#include <string>

#include "platform/MediaFacts.h"

namespace nimbo::media {

std::optional<platform::VideoTracks> readVideo(const std::string& path);

}  // namespace nimbo::media
