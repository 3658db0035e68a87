#include "platform/linux/gtk/PaintedBands.h"

#include <cstdint>
#include <utility>

namespace nimbo::x11 {

std::vector<XRectangle> paintedBands(const unsigned char* pixels, int width, int height, int stride) {
    std::vector<XRectangle> bands;
    std::vector<std::pair<int, int>> runs, above;
    std::size_t bandStart = 0;  // the first rectangle of the band the row above belongs to
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
        runs.clear();
        // Premultiplied: a clear pixel is all zero. Most rows of an overlay are
        // clear, and this test of a whole row is cheap; it only rules rows out.
        std::uint32_t any = 0;
        for (int x = 0; x < width; ++x) any |= row[x];
        if ((any >> 24) != 0) {
            for (int x = 0; x < width;) {
                if ((row[x] >> 24) < kShownAlpha) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < width && (row[x] >> 24) >= kShownAlpha) ++x;
                runs.emplace_back(start, x);
            }
        }
        if (!runs.empty() && runs == above) {
            for (std::size_t i = bandStart; i < bands.size(); ++i) ++bands[i].height;
        } else {
            bandStart = bands.size();
            for (const auto& [start, end] : runs)
                bands.push_back(XRectangle{static_cast<short>(start), static_cast<short>(y),
                                           static_cast<unsigned short>(end - start), 1});
        }
        std::swap(runs, above);
    }
    return bands;
}

}  // namespace nimbo::x11
