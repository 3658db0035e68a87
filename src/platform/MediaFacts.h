#pragma once
// What a picture or a video file says about itself, read without showing it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace nimbo::platform {

// The properties an image file's first picture states; a value the file
// does not state is absent.
struct ImageHeader {
    std::optional<int> width;
    std::optional<int> height;
    std::optional<double> dpi;  // horizontal
    std::optional<bool> alpha;
    std::optional<std::string> profile;     // the colour profile's name
    std::optional<std::string> colorModel;  // "RGB", "Gray", "CMYK", "Lab"
};

// A picture small enough to walk: sRGB, 8 bits a channel, red, green, blue
// and alpha with the colours premultiplied by it, rows top to bottom.
struct Thumbnail {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width × height × 4
};

// An affine transform as a display matrix states it: a point (x, y) goes
// to (a·x + c·y + tx, b·x + d·y + ty).
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// An image file's first picture: its header, and a rendering small enough to
// walk when one could be made.
struct ImageFile {
    ImageHeader header;
    std::optional<Thumbnail> thumbnail;
};

// What a video file's tracks say.
struct VideoTracks {
    bool hasVideo = false;
    // The first video track's, when there is one; absent when they could not be read.
    std::optional<Size> naturalSize;
    AffineTransform transform;
    double frameRate = 0;           // nominal, frames a second
    std::optional<double> seconds;  // the file's duration, when it is known
    bool hasAudio = false;
};

// Safe from any thread; every call reads the file anew.
class MediaFacts {
public:
    virtual ~MediaFacts() = default;
    // The file's size in bytes; absent when the file system does not tell it.
    virtual std::optional<uint64_t> fileSize(const std::string& path) = 0;
    // The first picture's properties and, made from the whole picture, a
    // rendering at most `maxPixelSize` on its longer side (never larger than
    // the picture); no rendering when it can't be made or the picture is too
    // large to decode safely. Absent when the file is no picture this system reads.
    virtual std::optional<ImageFile> image(const std::string& path, int maxPixelSize) = 0;
    // Absent when the file can't be opened as a video container.
    virtual std::optional<VideoTracks> videoTracks(const std::string& path) = 0;
};

}  // namespace nimbo::platform
