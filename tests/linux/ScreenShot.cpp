#include "ScreenShot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <gdk/gdkx.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace nimbo::test {

bool near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

ScreenShot ScreenShot::of(int x, int y, int width, int height) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) throw std::runtime_error("the root window can't be read");
    ScreenShot shot;
    shot.width_ = width;
    shot.height_ = height;
    shot.pixels_.resize(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            shot.pixels_[static_cast<std::size_t>(row) * width + column] =
                static_cast<std::uint32_t>(XGetPixel(image, column, row) & 0xFFFFFF);
    XDestroyImage(image);
    return shot;
}

ScreenShot ScreenShot::of(const platform::Image& image, int x, int y, int width, int height) {
    ScreenShot shot;
    shot.width_ = width;
    shot.height_ = height;
    shot.pixels_.resize(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* pixel =
            image.pixels->data() + static_cast<std::size_t>(y + row) * image.stride + static_cast<std::size_t>(x) * 4;
        for (int column = 0; column < width; ++column, pixel += 4) {
            shot.pixels_[static_cast<std::size_t>(row) * width + column] =
                static_cast<std::uint32_t>(pixel[2]) << 16 | static_cast<std::uint32_t>(pixel[1]) << 8 | pixel[0];
        }
    }
    return shot;
}

platform::Image ScreenShot::image() const {
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(pixels_.size() * 4);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        (*bytes)[i * 4] = static_cast<std::uint8_t>(pixels_[i]);
        (*bytes)[i * 4 + 1] = static_cast<std::uint8_t>(pixels_[i] >> 8);
        (*bytes)[i * 4 + 2] = static_cast<std::uint8_t>(pixels_[i] >> 16);
        (*bytes)[i * 4 + 3] = 0xFF;
    }
    return {width_, height_, width_ * 4, std::move(bytes)};
}

int ScreenShot::differing(const ScreenShot& other, int x, int y, int width, int height, int tolerance) const {
    int count = 0;
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column)
            if (!near(at(column, row), other.at(column, row), tolerance)) ++count;
    return count;
}

void ScreenShot::keep(const std::string& name) const {
    const char* folder = std::getenv("NIMBO_TEST_SHOTS");
    if (!folder || !*folder) return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
    auto* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < height_; ++row)
        for (int column = 0; column < width_; ++column)
            reinterpret_cast<std::uint32_t*>(data + row * stride)[column] = at(column, row);
    cairo_surface_mark_dirty(surface);
    cairo_surface_write_to_png(surface, (std::string(folder) + "/" + name + ".png").c_str());
    cairo_surface_destroy(surface);
}

}  // namespace nimbo::test
