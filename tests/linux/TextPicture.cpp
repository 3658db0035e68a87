#include "TextPicture.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <vector>

namespace nimbo::test {

TextPicture::TextPicture(int width, int height, unsigned background)
    : width_(width),
      height_(height),
      // RGB24 keeps each pixel as blue, green, red, unused in memory, as X does.
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
      cairo_(cairo_create(surface_)) {
    setColour(background);
    cairo_paint(cairo_);
}

TextPicture::~TextPicture() {
    cairo_destroy(cairo_);
    cairo_surface_destroy(surface_);
}

void TextPicture::setColour(unsigned colour) {
    cairo_set_source_rgb(cairo_, ((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0,
                         (colour & 0xff) / 255.0);
}

Rect TextPicture::write(const std::string& text, double x, double y, const std::string& font, unsigned colour,
                        int wrapWidth) {
    PangoLayout* layout = pango_cairo_create_layout(cairo_);
    PangoFontDescription* description = pango_font_description_from_string(font.c_str());
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    if (wrapWidth > 0) {
        pango_layout_set_width(layout, wrapWidth * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    }
    pango_layout_set_text(layout, text.c_str(), -1);
    setColour(colour);
    cairo_move_to(cairo_, x, y);
    pango_cairo_show_layout(cairo_, layout);
    PangoRectangle ink{}, logical{};
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    g_object_unref(layout);
    return Rect{{x + ink.x, y + ink.y}, {static_cast<double>(ink.width), static_cast<double>(ink.height)}};
}

void TextPicture::fill(Rect box, unsigned colour) {
    setColour(colour);
    cairo_rectangle(cairo_, box.origin.x, box.origin.y, box.size.width, box.size.height);
    cairo_fill(cairo_);
}

void TextPicture::outline(Rect box, unsigned colour, double radius) {
    const double x = box.origin.x + 0.5, y = box.origin.y + 0.5;
    const double w = box.size.width - 1, h = box.size.height - 1;
    cairo_new_sub_path(cairo_);
    cairo_arc(cairo_, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cairo_, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cairo_, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cairo_, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cairo_);
    setColour(colour);
    cairo_set_line_width(cairo_, 1);
    cairo_stroke(cairo_);
}

platform::Image TextPicture::image() const {
    cairo_surface_flush(surface_);
    return imageOf(cairo_image_surface_get_data(surface_), width_, height_, cairo_image_surface_get_stride(surface_));
}

platform::Image imageOf(const unsigned char* pixels, int width, int height, int stride) {
    platform::Image image;
    image.width = width;
    image.height = height;
    image.stride = stride;
    image.pixels =
        std::make_shared<const std::vector<std::uint8_t>>(pixels, pixels + static_cast<std::size_t>(stride) * height);
    return image;
}

}  // namespace nimbo::test
