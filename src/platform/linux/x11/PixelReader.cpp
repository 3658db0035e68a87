#include "platform/linux/x11/PixelReader.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>
#include <memory>

namespace nimbo::x11 {
namespace {

bool bgrx(const XImage& image) {
    return image.bits_per_pixel == 32 && image.byte_order == LSBFirst && image.red_mask == 0xFF0000 &&
           image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

}  // namespace

struct PixelReader::Segment {
    XShmSegmentInfo info{};
    std::size_t size = 0;
};

PixelReader::PixelReader(XConnection& connection) : connection_(connection), display_(connection.display()) {
    shmAvailable_ = display_ && XShmQueryExtension(display_);
}

PixelReader::~PixelReader() {
    dropSegment();
}

void PixelReader::dropSegment() {
    if (!segment_) return;
    XShmDetach(display_, &segment_->info);
    XSync(display_, False);
    shmdt(segment_->info.shmaddr);
    delete segment_;
    segment_ = nullptr;
}

bool PixelReader::ensureSegment(std::size_t bytes) {
    if (segment_ && segment_->size >= bytes) return true;
    dropSegment();
    auto segment = std::make_unique<Segment>();
    segment->size = bytes;
    segment->info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment->info.shmid < 0) return false;
    void* address = shmat(segment->info.shmid, nullptr, 0);
    // Marked for removal at once: it goes when both sides have let go, even if we crash.
    shmctl(segment->info.shmid, IPC_RMID, nullptr);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): shmat's failure value
    if (address == reinterpret_cast<void*>(-1)) return false;
    segment->info.shmaddr = static_cast<char*>(address);
    segment->info.readOnly = False;
    // The server can't take it from a remote client, which shows only as an
    // error to the attach.
    if (connection_.trapErrors([&] { XShmAttach(display_, &segment->info); }) != 0) {
        shmdt(address);
        shmAvailable_ = false;
        return false;
    }
    segment_ = segment.release();
    return true;
}

PixelRows PixelReader::read(Drawable drawable, Visual* visual, int depth, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (shmAvailable_ && ensureSegment(bytes)) {
        XImage* image = XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, segment_->info.shmaddr,
                                        &segment_->info, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!image) return {};
        PixelRows rows;
        if (bgrx(*image) && XShmGetImage(display_, drawable, image, x, y, AllPlanes))
            rows = {reinterpret_cast<const std::uint8_t*>(image->data), width, height, image->bytes_per_line};
        image->data = nullptr;  // the segment's, not the image's
        XDestroyImage(image);
        return rows;
    }
    XImage* image = XGetImage(display_, drawable, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return {};
    PixelRows rows;
    if (bgrx(*image)) {
        copy_.resize(static_cast<std::size_t>(image->bytes_per_line) * height);
        std::memcpy(copy_.data(), image->data, copy_.size());
        rows = {copy_.data(), width, height, image->bytes_per_line};
    }
    XDestroyImage(image);
    return rows;
}

}  // namespace nimbo::x11
