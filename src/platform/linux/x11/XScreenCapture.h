#pragma once
// One monitor's picture read from the X server, the shell's own windows left
// out, the pointer drawn in on request.
//
// The screen is read as it is (XShm where the server offers it), which is the
// whole job when none of the shell's windows shows a pixel on that monitor:
// an overlay at rest paints nothing. Where one does, that area alone is built
// again by the X server from the other windows' pictures in stacking order
// (Composite names each window's own pixmap, covered parts included; Render
// lays them down through each window's shape and blends those with alpha as
// a compositing manager does) and read back over the first picture.
//
// Covered parts of a window are only kept while it is redirected. A
// compositing manager redirects every window; so that the same holds on a
// desktop without one, the root's children are redirected automatically for
// as long as the shell runs: the server then keeps each window's picture and
// copies it to the screen itself, which looks the same but costs a pixmap per
// window. A compositor that starts later takes over as usual.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ScreenCapture.h"
#include "platform/linux/x11/PixelReader.h"
#include "platform/linux/x11/StackComposer.h"
#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

class XScreenCapture final : public platform::ScreenCapture {
public:
    XScreenCapture();
    ~XScreenCapture() override;
    XScreenCapture(const XScreenCapture&) = delete;
    XScreenCapture& operator=(const XScreenCapture&) = delete;

    std::optional<std::vector<platform::ShareableDisplay>> shareableDisplays() override;
    platform::Grab capture(long long displayId, int width, int height, std::optional<long> including,
                           bool showCursor) override;

private:
    // The pixels of a capture: the last capture's again once its picture has
    // been let go (a screen is 8 MB that the system would zero afresh), else new.
    std::shared_ptr<std::vector<std::uint8_t>> buffer(std::size_t size);
    bool readable();
    bool composited();
    // Rebuilds where the shown windows of the shell (but `including`) cover
    // the picture; false when the server can't.
    bool leaveOut(const std::vector<unsigned long>& shell, std::optional<long> including, const XRectangle& area,
                  Picture32& picture);

    std::shared_ptr<XConnection> connection_;
    std::unique_ptr<PixelReader> reader_;
    std::shared_ptr<std::vector<std::uint8_t>> spare_;
    bool cursorImages_ = false;
};

}  // namespace nimbo::x11
