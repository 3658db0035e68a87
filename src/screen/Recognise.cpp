#include <cstdint>

#include "base/Text.h"
#include "screen/Desktop.h"
#include "screen/Elements.h"
#include "screen/TextRules.h"

namespace nimbo::Elements {

namespace {

constexpr double kLeastConfidence = 0.3;

}  // namespace

std::vector<Line> recognise(const platform::Image& image, const Rect& bounds) {
    std::vector<Line> lines;
    auto* platform = detail::desktop();
    if (!platform) return lines;
    auto found = platform->textRecognition().recognise(image);
    if (!found) return lines;
    for (const auto& candidate : *found) {
        if (candidate.confidence < kLeastConfidence) continue;
        auto text = Text::trimmed(candidate.text);
        if (Text::characterCount(norm(text)) < 2 || looksMisread(text)) continue;
        const auto& box = candidate.box;
        lines.push_back(
            {text,
             {{bounds.minX() + box.minX() * bounds.size.width, bounds.minY() + (1 - box.maxY()) * bounds.size.height},
              {box.size.width * bounds.size.width, box.size.height * bounds.size.height}}});
    }
    return lines;
}

void warm() {
    auto* platform = detail::desktop();
    if (!platform) return;
    platform->queues().async(platform::Priority::utility, [] {
        // A blank picture is enough to make the engine load its model.
        platform::Image blank{96, 32, 96 * 4, std::make_shared<std::vector<std::uint8_t>>(96 * 32 * 4, 0)};
        recognise(blank, {{0, 0}, {96, 32}});
    });
}

}  // namespace nimbo::Elements
