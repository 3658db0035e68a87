#include "platform/linux/media/MediaFiles.h"

#include <sys/stat.h>

#include "platform/linux/media/ImageFiles.h"
#include "platform/linux/media/VideoFiles.h"

namespace nimbo::media {

std::optional<uint64_t> MediaFiles::fileSize(const std::string& path) {
    struct stat facts {};
    if (stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(facts.st_size);
}

std::optional<platform::ImageFile> MediaFiles::image(const std::string& path, int maxPixelSize) {
    return readImage(path, maxPixelSize);
}

std::optional<platform::VideoTracks> MediaFiles::videoTracks(const std::string& path) {
    return readVideo(path);
}

}  // namespace nimbo::media
