#include "platform/linux/ocr/GreyPicture.h"

#include <algorithm>
#include <cstdlib>

namespace nimbo::ocr {

GreyPicture GreyPicture::from(const platform::Image& image) {
    GreyPicture grey;
    if (image.empty() || image.stride < image.width * 4 ||
        image.pixels->size() < static_cast<std::size_t>(image.stride) * image.height)
        return grey;
    grey.width = image.width;
    grey.height = image.height;
    grey.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    const std::uint8_t* source = image.pixels->data();
    std::uint8_t* target = grey.pixels.data();
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* pixel = source + static_cast<std::size_t>(y) * image.stride;
        for (int x = 0; x < image.width; ++x, pixel += 4) {
            // Rec. 601 weights in 256ths: blue, green, red.
            *target++ = static_cast<std::uint8_t>((pixel[0] * 29 + pixel[1] * 150 + pixel[2] * 77) >> 8);
        }
    }
    return grey;
}

namespace {

// How much a row changes from pixel to pixel: zero for a row of one colour,
// which no glyph crosses.
long detail(const GreyPicture& picture, int y) {
    const std::uint8_t* row = picture.row(y);
    long edges = 0;
    for (int x = 1; x < picture.width; ++x) edges += std::abs(row[x] - row[x - 1]) > 24 ? 1 : 0;
    return edges;
}

}  // namespace

std::vector<int> bandStarts(const GreyPicture& picture, int count) {
    std::vector<int> starts{0};
    if (picture.height <= 0 || count <= 1) return starts;
    const int share = picture.height / count;
    // Each cut may move up to a third of a share from its even place.
    const int reach = share / 3;
    for (int band = 1; band < count; ++band) {
        const int even = band * share;
        int best = even;
        long bestDetail = detail(picture, even);
        for (int offset = 1; offset <= reach && bestDetail > 0; ++offset) {
            for (const int y : {even - offset, even + offset}) {
                if (y <= starts.back() || y >= picture.height) continue;
                const long rowDetail = detail(picture, y);
                if (rowDetail < bestDetail) {
                    best = y;
                    bestDetail = rowDetail;
                }
            }
        }
        // Within a blank run, the middle leaves both bands a margin around their text.
        if (bestDetail == 0) {
            int top = best, bottom = best;
            while (top - 1 > starts.back() && detail(picture, top - 1) == 0) --top;
            while (bottom + 1 < picture.height && bottom - best < reach && detail(picture, bottom + 1) == 0) ++bottom;
            best = (top + bottom) / 2;
        }
        if (best > starts.back()) starts.push_back(best);
    }
    return starts;
}

}  // namespace nimbo::ocr
