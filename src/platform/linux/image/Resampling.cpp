#include "platform/linux/image/Resampling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace nimbo::x11 {
namespace {

constexpr double kSupport = 3.0;  // Lanczos-3
constexpr int kPrecision = 14;    // weights in fixed point, 1.0 = 1 << 14
constexpr int kChannels = 4;

double sinc(double x) {
    if (x == 0.0) return 1.0;
    x *= std::numbers::pi;
    return std::sin(x) / x;
}

double lanczos(double x) {
    return std::abs(x) < kSupport ? sinc(x) * sinc(x / kSupport) : 0.0;
}

// For each output coordinate: the first source coordinate it reads, how many
// it reads, and their weights (`taps` slots each), summing to 1.
struct Taps {
    int taps = 0;
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::int16_t> weights;
};

Taps tapsFor(int inSize, int outSize) {
    const double scale = static_cast<double>(inSize) / outSize;
    const double widen = std::max(scale, 1.0);
    const double support = kSupport * widen;
    Taps taps;
    taps.taps = static_cast<int>(std::ceil(support)) * 2 + 1;
    taps.first.resize(static_cast<std::size_t>(outSize));
    taps.count.resize(static_cast<std::size_t>(outSize));
    taps.weights.assign(static_cast<std::size_t>(outSize) * taps.taps, 0);
    std::vector<double> raw(static_cast<std::size_t>(taps.taps));
    for (int out = 0; out < outSize; ++out) {
        const double centre = (out + 0.5) * scale;
        const int low = std::max(0, static_cast<int>(std::floor(centre - support)));
        const int high = std::min(inSize, static_cast<int>(std::ceil(centre + support)));
        const int count = std::min(high - low, taps.taps);
        double sum = 0;
        for (int k = 0; k < count; ++k) {
            raw[static_cast<std::size_t>(k)] = lanczos((low + k + 0.5 - centre) / widen);
            sum += raw[static_cast<std::size_t>(k)];
        }
        taps.first[static_cast<std::size_t>(out)] = low;
        taps.count[static_cast<std::size_t>(out)] = count;
        std::int16_t* weights = &taps.weights[static_cast<std::size_t>(out) * taps.taps];
        for (int k = 0; k < count; ++k) {
            weights[k] =
                static_cast<std::int16_t>(std::lround(raw[static_cast<std::size_t>(k)] / sum * (1 << kPrecision)));
        }
    }
    return taps;
}

std::uint8_t clampToByte(std::int32_t value) {
    value = (value + (1 << (kPrecision - 1))) >> kPrecision;
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// Along rows: every source row, output width columns.
void horizontal(const std::uint8_t* source, int sourceStride, int rows, const Taps& taps, int outWidth,
                std::uint8_t* target, int targetStride) {
    for (int row = 0; row < rows; ++row) {
        const std::uint8_t* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(row) * targetStride;
        for (int x = 0; x < outWidth; ++x) {
            const std::uint8_t* pixel =
                in + static_cast<std::ptrdiff_t>(taps.first[static_cast<std::size_t>(x)]) * kChannels;
            const std::int16_t* weights = &taps.weights[static_cast<std::size_t>(x) * taps.taps];
            const int count = taps.count[static_cast<std::size_t>(x)];
            std::int32_t sum[kChannels] = {};
            for (int k = 0; k < count; ++k)
                for (int c = 0; c < kChannels; ++c) sum[c] += pixel[k * kChannels + c] * weights[k];
            for (int c = 0; c < kChannels; ++c) out[x * kChannels + c] = clampToByte(sum[c]);
        }
    }
}

// Along columns: output height rows, each mixing source rows.
void vertical(const std::uint8_t* source, int sourceStride, const Taps& taps, int outHeight, int rowBytes,
              std::uint8_t* target, int targetStride) {
    std::vector<std::int32_t> sum(static_cast<std::size_t>(rowBytes));
    for (int y = 0; y < outHeight; ++y) {
        std::fill(sum.begin(), sum.end(), 0);
        const std::int16_t* weights = &taps.weights[static_cast<std::size_t>(y) * taps.taps];
        const int first = taps.first[static_cast<std::size_t>(y)];
        const int count = taps.count[static_cast<std::size_t>(y)];
        for (int k = 0; k < count; ++k) {
            const std::int32_t weight = weights[k];
            const std::uint8_t* in = source + static_cast<std::ptrdiff_t>(first + k) * sourceStride;
            for (int i = 0; i < rowBytes; ++i) sum[static_cast<std::size_t>(i)] += in[i] * weight;
        }
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(y) * targetStride;
        for (int i = 0; i < rowBytes; ++i) out[i] = clampToByte(sum[static_cast<std::size_t>(i)]);
    }
}

}  // namespace

std::optional<platform::Image> resample(const platform::Image& image, int width, int height) {
    if (image.empty() || width < 1 || height < 1) return std::nullopt;
    if (image.stride < image.width * kChannels) return std::nullopt;
    if (width == image.width && height == image.height) return image;

    // Columns first into a picture of every source row, then rows.
    const Taps across = tapsFor(image.width, width);
    const Taps down = tapsFor(image.height, height);
    const int rowBytes = width * kChannels;
    std::vector<std::uint8_t> between(static_cast<std::size_t>(rowBytes) * image.height);
    horizontal(image.pixels->data(), image.stride, image.height, across, width, between.data(), rowBytes);

    auto pixels = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(rowBytes) * height);
    vertical(between.data(), rowBytes, down, height, rowBytes, pixels->data(), rowBytes);
    return platform::Image{width, height, rowBytes, std::move(pixels)};
}

}  // namespace nimbo::x11
