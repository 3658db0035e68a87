#pragma once
// Pictures of known text, drawn with cairo and pango in the pixel layout a
// screen capture hands out, for reading back with text recognition.
#include <cairo.h>

#include <string>

#include "platform/Geometry.h"
#include "platform/Images.h"

namespace nimbo::test {

class TextPicture {
public:
    // Filled with `background` (0xRRGGBB).
    TextPicture(int width, int height, unsigned background = 0xffffff);
    ~TextPicture();
    TextPicture(const TextPicture&) = delete;
    TextPicture& operator=(const TextPicture&) = delete;

    // `text` with its top-left at (x, y) in a pango font such as "DejaVu Sans
    // 11", wrapped at `wrapWidth` pixels when given. Answers the ink's box in
    // pixels, rows from the top.
    Rect write(const std::string& text, double x, double y, const std::string& font, unsigned colour = 0x202020,
               int wrapWidth = 0);
    void fill(Rect box, unsigned colour);
    // A rounded outline, as buttons and fields have.
    void outline(Rect box, unsigned colour, double radius = 4);

    platform::Image image() const;
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void setColour(unsigned colour);

    int width_ = 0;
    int height_ = 0;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cairo_ = nullptr;
};

// An image of `width` × `height` pixels from the X server's layout (blue, green, red, unused).
platform::Image imageOf(const unsigned char* pixels, int width, int height, int stride);

}  // namespace nimbo::test
