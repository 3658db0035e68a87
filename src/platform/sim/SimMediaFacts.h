#pragma once
// Picture and video files in memory: what each path says about itself.
#include <map>
#include <string>
#include <vector>

#include "platform/MediaFacts.h"

namespace nimbo::sim {

class SimMediaFacts : public platform::MediaFacts {
public:
    std::optional<uint64_t> fileSize(const std::string& path) override {
        auto found = sizes.find(path);
        if (found == sizes.end()) return std::nullopt;
        return found->second;
    }
    std::optional<platform::ImageFile> image(const std::string& path, int maxPixelSize) override {
        thumbnailSizes.push_back(maxPixelSize);
        auto found = images.find(path);
        if (found == images.end()) return std::nullopt;
        return found->second;
    }
    std::optional<platform::VideoTracks> videoTracks(const std::string& path) override {
        auto found = videos.find(path);
        if (found == videos.end()) return std::nullopt;
        return found->second;
    }

    std::map<std::string, uint64_t> sizes;
    std::map<std::string, platform::ImageFile> images;
    std::map<std::string, platform::VideoTracks> videos;
    // The largest rendering asked for, on each image read.
    std::vector<int> thumbnailSizes;
};

}  // namespace nimbo::sim
