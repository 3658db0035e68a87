#include "screen/FileColours.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <numeric>

namespace nimbo::FileFacts {
namespace {

// Alpha below this counts as see-through.
constexpr unsigned kTransparentBelow = 16;
// Colours listed at most, and the share of the opaque pixels one must exceed, as 1 / kShareDivisor.
constexpr size_t kMostColours = 4;
constexpr uint64_t kShareDivisor = 20;

struct Bucket {
    uint64_t count = 0;
    uint64_t red = 0, green = 0, blue = 0;
};

// A premultiplied channel back at full strength, in integers; a channel
// stronger than its alpha (a malformed picture) is kept at the top.
unsigned unpremultiplied(unsigned channel, unsigned alpha) {
    return std::min(channel * 255U / alpha, 255U);
}

}  // namespace

std::optional<Colours> colours(const platform::Thumbnail& picture) {
    if (picture.width <= 0 || picture.height <= 0) return std::nullopt;
    const auto width = static_cast<size_t>(picture.width);
    const size_t count = width * static_cast<size_t>(picture.height);
    if (picture.rgba.size() != count * 4) return std::nullopt;
    const uint8_t* pixels = picture.rgba.data();

    std::array<Bucket, 64> buckets{};
    uint64_t transparent = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* pixel = pixels + i * 4;
        const unsigned alpha = pixel[3];
        if (alpha < kTransparentBelow) {
            ++transparent;
            continue;
        }
        const unsigned red = unpremultiplied(pixel[0], alpha);
        const unsigned green = unpremultiplied(pixel[1], alpha);
        const unsigned blue = unpremultiplied(pixel[2], alpha);
        Bucket& bucket = buckets[((red >> 6) << 4) | ((green >> 6) << 2) | (blue >> 6)];
        ++bucket.count;
        bucket.red += red;
        bucket.green += green;
        bucket.blue += blue;
    }

    Colours out;
    out.transparentShare = static_cast<double>(transparent) / static_cast<double>(std::max<size_t>(count, 1));
    auto clear = [&](size_t index) { return pixels[index * 4 + 3] < kTransparentBelow; };
    const size_t lastRow = count - width;
    out.cornersTransparent = clear(0) && clear(width - 1) && clear(lastRow) && clear(count - 1);

    const uint64_t opaque = std::max<uint64_t>(count - transparent, 1);
    std::array<size_t, 64> order{};
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return buckets[a].count > buckets[b].count; });
    for (size_t rank = 0; rank < kMostColours; ++rank) {
        const Bucket& bucket = buckets[order[rank]];
        // More than a twentieth of the opaque pixels, told in integers so
        // exactly a twentieth is not more.
        if (bucket.count * kShareDivisor <= opaque) continue;
        out.colors.push_back(fmt::format("#{:02X}{:02X}{:02X}", bucket.red / bucket.count, bucket.green / bucket.count,
                                         bucket.blue / bucket.count));
    }
    return out;
}

}  // namespace nimbo::FileFacts
