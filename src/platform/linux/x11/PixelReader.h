#pragma once
// Reads rectangles of a drawable's pixels from the X server: through one
// shared-memory segment when the server offers MIT-SHM to this client (a local
// connection), else with plain GetImage over the socket.
#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

// Pixels as read, 32 bits each in memory order blue, green, red, then alpha or
// unused; valid until the next read.
struct PixelRows {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

class PixelReader {
public:
    explicit PixelReader(XConnection& connection);
    ~PixelReader();
    PixelReader(const PixelReader&) = delete;
    PixelReader& operator=(const PixelReader&) = delete;

    // The rectangle of a drawable of `depth` 24 or 32 in `visual`'s layout;
    // null data when it can't be read or the server's pixel layout is not
    // 32-bit BGRX.
    PixelRows read(Drawable drawable, Visual* visual, int depth, int x, int y, int width, int height);
    bool sharedMemory() const { return shmAvailable_; }

private:
    bool ensureSegment(std::size_t bytes);
    void dropSegment();

    XConnection& connection_;
    Display* display_;
    bool shmAvailable_ = false;
    struct Segment;
    Segment* segment_ = nullptr;
    std::vector<std::uint8_t> copy_;  // what GetImage answered, without shared memory
};

}  // namespace nimbo::x11
