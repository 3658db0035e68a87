#pragma once
// Picture and video files on disk: sizes from the file system, pictures
// through GdkPixbuf, videos through libavformat.
#include "platform/MediaFacts.h"

namespace nimbo::media {

class MediaFiles final : public platform::MediaFacts {
public:
    std::optional<uint64_t> fileSize(const std::string& path) override;
    std::optional<platform::ImageFile> image(const std::string& path, int maxPixelSize) override;
    std::optional<platform::VideoTracks> videoTracks(const std::string& path) override;
};

}  // namespace nimbo::media
