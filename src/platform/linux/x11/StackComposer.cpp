#include "platform/linux/x11/StackComposer.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrender.h>

#include <algorithm>
#include <cstring>

#include "platform/linux/x11/PaintedArea.h"
#include "platform/linux/x11/XProperties.h"

namespace nimbo::x11 {
namespace {

XRectangle extents(const std::vector<XRectangle>& area) {
    int left = area.front().x, top = area.front().y, right = left, bottom = top;
    for (const auto& part : area) {
        left = std::min<int>(left, part.x);
        top = std::min<int>(top, part.y);
        right = std::max(right, part.x + part.width);
        bottom = std::max(bottom, part.y + part.height);
    }
    return XRectangle{static_cast<short>(left), static_cast<short>(top), static_cast<unsigned short>(right - left),
                      static_cast<unsigned short>(bottom - top)};
}

// The wallpaper pixmap a background setter left on the root, if any.
Pixmap wallpaper(Display* display, Window root) {
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
        auto ids = windowProperty(display, root, XInternAtom(display, name, False), XA_PIXMAP, 1);
        if (!ids.empty() && ids.front() != 0) return static_cast<Pixmap>(ids.front());
    }
    return 0;
}

bool serverCanCompose(Display* display) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 2;
    return XRenderQueryExtension(display, &eventBase, &errorBase) &&
           XCompositeQueryExtension(display, &eventBase, &errorBase) &&
           XCompositeQueryVersion(display, &major, &minor) && (major > 0 || minor >= 2) &&
           XFixesQueryExtension(display, &eventBase, &errorBase);
}

// Lays one window's picture on the canvas, only where its shape lets it show
// inside the area.
void composeWindow(Display* display, const TopLevel& window, const XRectangle& box, XserverRegion wanted,
                   ::Picture target, bool composited) {
    const XRectangle outer{static_cast<short>(window.x), static_cast<short>(window.y),
                           static_cast<unsigned short>(window.outerWidth()),
                           static_cast<unsigned short>(window.outerHeight())};
    if (!window.shown || !intersect(outer, box)) return;
    XRenderPictFormat* format = XRenderFindVisualFormat(display, window.visual);
    if (!format) return;
    const XserverRegion clip = XFixesCreateRegionFromWindow(display, window.id, WindowRegionBounding);
    XFixesTranslateRegion(display, clip, window.x + window.border - box.x, window.y + window.border - box.y);
    XFixesIntersectRegion(display, clip, clip, wanted);
    XFixesSetPictureClipRegion(display, target, 0, 0, clip);
    const Pixmap contents = XCompositeNameWindowPixmap(display, window.id);
    const ::Picture source = XRenderCreatePicture(display, contents, format, 0, nullptr);
    const bool blended = composited && format->type == PictTypeDirect && format->direct.alphaMask != 0;
    XRenderComposite(display, blended ? PictOpOver : PictOpSrc, source, None, target, 0, 0, 0, 0, window.x - box.x,
                     window.y - box.y, static_cast<unsigned>(window.outerWidth()),
                     static_cast<unsigned>(window.outerHeight()));
    XRenderFreePicture(display, source);
    XFreePixmap(display, contents);
    XFixesDestroyRegion(display, clip);
}

}  // namespace

bool composeStack(XConnection& connection, PixelReader& reader, const std::vector<TopLevel>& stack,
                  const std::vector<XRectangle>& area, bool composited, Picture32& picture) {
    Display* display = connection.display();
    if (!display || area.empty() || !serverCanCompose(display)) return false;
    const Window root = connection.root();
    const XRectangle box = extents(area);
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    XRenderPictFormat* format = XRenderFindVisualFormat(display, visual);
    if (!format) return false;

    const Pixmap canvas = XCreatePixmap(display, root, box.width, box.height, 24);
    const ::Picture target = XRenderCreatePicture(display, canvas, format, 0, nullptr);
    std::vector<XRectangle> local = area;
    for (auto& part : local) {
        part.x = static_cast<short>(part.x - box.x);
        part.y = static_cast<short>(part.y - box.y);
    }
    const XserverRegion wanted = XFixesCreateRegion(display, local.data(), static_cast<int>(local.size()));

    connection.trapErrors([&] {
        // The desktop's own background: a setter's wallpaper, else black (what
        // X paints there can't be read back once windows cover it).
        XFixesSetPictureClipRegion(display, target, 0, 0, wanted);
        const XRenderColor black{0, 0, 0, 0xFFFF};
        XRenderFillRectangle(display, PictOpSrc, target, &black, 0, 0, box.width, box.height);
        if (const Pixmap paper = wallpaper(display, root)) {
            const ::Picture source = XRenderCreatePicture(display, paper, format, 0, nullptr);
            XRenderComposite(display, PictOpSrc, source, None, target, box.x, box.y, 0, 0, 0, 0, box.width, box.height);
            XRenderFreePicture(display, source);
        }
        // A window gone since it was listed spoils only its own part.
        for (const TopLevel& window : stack) composeWindow(display, window, box, wanted, target, composited);
    });

    const PixelRows rows = reader.read(canvas, visual, 24, 0, 0, box.width, box.height);
    if (rows.data) {
        for (const auto& part : area) {
            auto inside = intersect(part, XRectangle{static_cast<short>(picture.x), static_cast<short>(picture.y),
                                                     static_cast<unsigned short>(picture.width),
                                                     static_cast<unsigned short>(picture.height)});
            if (!inside) continue;
            for (int y = inside->y; y < inside->y + inside->height; ++y) {
                std::memcpy(picture.pixels + static_cast<std::ptrdiff_t>(y - picture.y) * picture.stride +
                                static_cast<std::ptrdiff_t>(inside->x - picture.x) * 4,
                            rows.data + static_cast<std::ptrdiff_t>(y - box.y) * rows.stride +
                                static_cast<std::ptrdiff_t>(inside->x - box.x) * 4,
                            static_cast<std::size_t>(inside->width) * 4);
            }
        }
    }
    XFixesDestroyRegion(display, wanted);
    XRenderFreePicture(display, target);
    XFreePixmap(display, canvas);
    return rows.data != nullptr;
}

}  // namespace nimbo::x11
