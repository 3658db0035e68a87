#include "platform/linux/media/ImageFiles.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdlib>

#include "platform/linux/media/ColourProfiles.h"
#include "platform/linux/media/HeaderSniff.h"

namespace nimbo::media {
namespace {

std::optional<std::string> option(GdkPixbuf* pixbuf, const char* key) {
    const gchar* value = gdk_pixbuf_get_option(pixbuf, key);
    if (!value || value[0] == '\0') return std::nullopt;
    return std::string(value);
}

// GdkPixbuf keeps the embedded profile as base64 text.
std::optional<ProfileFacts> embeddedProfile(GdkPixbuf* pixbuf) {
    auto encoded = option(pixbuf, "icc-profile");
    if (!encoded) return std::nullopt;
    gsize length = 0;
    guchar* bytes = g_base64_decode(encoded->c_str(), &length);
    std::string raw(reinterpret_cast<const char*>(bytes), length);
    g_free(bytes);
    return readProfile(raw);
}

// Rows of straight RGB or RGBA made premultiplied RGBA without padding.
platform::Thumbnail premultiplied(GdkPixbuf* pixbuf) {
    platform::Thumbnail out;
    out.width = gdk_pixbuf_get_width(pixbuf);
    out.height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf) != FALSE;
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    out.rgba.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 4);
    uint8_t* to = out.rgba.data();
    for (int y = 0; y < out.height; ++y) {
        const guchar* from = pixels + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < out.width; ++x, from += channels, to += 4) {
            const unsigned a = alpha ? from[3] : 255U;
            for (int c = 0; c < 3; ++c) to[c] = static_cast<uint8_t>((from[c] * a + 127U) / 255U);
            to[3] = static_cast<uint8_t>(a);
        }
    }
    return out;
}

}  // namespace

std::optional<platform::ImageFile> readImage(const std::string& path, int maxPixelSize) {
    gint width = 0;
    gint height = 0;
    // Reads only as far as the loader needs to tell the size.
    if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height)) return std::nullopt;
    platform::ImageFile file;
    if (width > 0) file.header.width = width;
    if (height > 0) file.header.height = height;
    const Sniffed sniffed = sniffHeader(path);
    file.header.alpha = sniffed.alpha;
    file.header.dpi = sniffed.dpi;
    file.header.colorModel = sniffed.colorModel;

    const long long pixels = static_cast<long long>(width) * height;
    if (width <= 0 || height <= 0 || pixels > kMostDecodedPixels || maxPixelSize <= 0) return file;
    GError* error = nullptr;
    // Never made larger than it is.
    GdkPixbuf* pixbuf = std::max(width, height) <= maxPixelSize
                            ? gdk_pixbuf_new_from_file(path.c_str(), &error)
                            : gdk_pixbuf_new_from_file_at_scale(path.c_str(), maxPixelSize, maxPixelSize, TRUE, &error);
    if (error) g_error_free(error);
    if (!pixbuf) return file;
    if (gdk_pixbuf_get_colorspace(pixbuf) == GDK_COLORSPACE_RGB && gdk_pixbuf_get_bits_per_sample(pixbuf) == 8 &&
        gdk_pixbuf_get_n_channels(pixbuf) >= 3) {
        file.thumbnail = premultiplied(pixbuf);
    }
    if (!file.header.alpha) file.header.alpha = gdk_pixbuf_get_has_alpha(pixbuf) != FALSE;
    if (auto dpi = option(pixbuf, "x-dpi"); dpi && !file.header.dpi) {
        char* end = nullptr;
        const double value = std::strtod(dpi->c_str(), &end);
        if (end != dpi->c_str() && value > 0) file.header.dpi = value;
    }
    if (auto profile = embeddedProfile(pixbuf)) {
        file.header.profile = profile->name;
        if (profile->colorModel) file.header.colorModel = profile->colorModel;
    }
    if (!file.header.colorModel) file.header.colorModel = "RGB";
    g_object_unref(pixbuf);
    return file;
}

}  // namespace nimbo::media
