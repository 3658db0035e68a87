// Looking for typed text on screen: the check after typing into a box that
// accessibility cannot see, where the field's value can't be read.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "actions/Desktop.h"
#include "actions/Typing.h"
#include "ask/Capture.h"
#include "screen/Elements.h"
#include "screen/TextRules.h"

namespace nimbo::Typing {
namespace {

// Time for the box to draw what it was given.
constexpr double kSettle = 0.35;
// Where to look around the box: wide, as the point may be anywhere on it.
constexpr double kLeftOf = 520;
constexpr double kAbove = 180;
constexpr double kWide = 1040;
constexpr double kHigh = 240;
constexpr double kNarrowest = 20;
constexpr double kLowest = 10;
// Words from each end of the typed text that must show in a row.
constexpr size_t kRun = 4;

std::optional<Rect> clipped(const Rect& a, const Rect& b) {
    const double x0 = std::max(a.minX(), b.minX());
    const double y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX());
    const double y1 = std::min(a.maxY(), b.maxY());
    if (x1 <= x0 || y1 <= y0) return std::nullopt;
    return Rect{{x0, y0}, {x1 - x0, y1 - y0}};
}

// The pixels of a region of the shot, in points of its display.
std::optional<platform::Image> pixelsOf(const Capture::Shot& shot, const Rect& region) {
    const auto& bounds = shot.bounds;
    if (bounds.size.width <= 0) return std::nullopt;
    const double scale = shot.image.width / bounds.size.width;
    const double x0 = std::floor((region.minX() - bounds.minX()) * scale);
    const double y0 = std::floor((region.minY() - bounds.minY()) * scale);
    const double x1 = std::min<double>(std::ceil((region.maxX() - bounds.minX()) * scale), shot.image.width);
    const double y1 = std::min<double>(std::ceil((region.maxY() - bounds.minY()) * scale), shot.image.height);
    if (!(x0 >= 0 && y0 >= 0 && x1 > x0 && y1 > y0)) return std::nullopt;
    return Capture::cut(shot.image, static_cast<long>(x0), static_cast<long>(y0), static_cast<long>(x1 - x0),
                        static_cast<long>(y1 - y0));
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(Elements::norm(text));
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string joined(std::vector<std::string>::const_iterator from, std::vector<std::string>::const_iterator to) {
    std::string out;
    for (auto at = from; at != to; ++at) out += (out.empty() ? "" : " ") + *at;
    return out;
}

// Whole words in a row, compared in the normalised form.
std::optional<bool> showsTyped(const std::string& typed, const std::vector<Elements::Line>& lines) {
    const auto words = wordsOf(typed);
    if (words.empty()) return std::nullopt;
    std::string read;
    for (const auto& line : lines) read += " " + Elements::norm(line.text);
    read += " ";
    const size_t run = std::min(kRun, words.size());
    const auto first = " " + joined(words.begin(), words.begin() + static_cast<long>(run)) + " ";
    const auto last = " " + joined(words.end() - static_cast<long>(run), words.end()) + " ";
    return read.find(first) != std::string::npos || read.find(last) != std::string::npos;
}

}  // namespace

void seen(const std::string& text, Point near, const platform::Screen& screen,
          std::function<void(std::optional<bool>)> done) {
    auto& platform = Actions::desktop();
    platform.main().after(kSettle, [text, near, screen, done = std::move(done), &platform] {
        auto grabbed = Capture::grab(platform, screen, std::nullopt);
        if (!grabbed.shot) return done(std::nullopt);
        const auto& shot = *grabbed.shot;
        auto region = clipped({{near.x - kLeftOf, near.y - kAbove}, {kWide, kHigh}}, shot.bounds);
        if (!region || region->size.width <= kNarrowest || region->size.height <= kLowest) return done(std::nullopt);
        auto crop = pixelsOf(shot, *region);
        if (!crop) return done(std::nullopt);
        // Recognition is slow: off the main thread, the answer back on it.
        platform.queues().async(platform::Priority::userInitiated,
                                [text, crop = std::move(*crop), region = *region, done, &platform] {
                                    auto found = showsTyped(text, Elements::recognise(crop, region));
                                    platform.main().post([done, found] { done(found); });
                                });
    });
}

}  // namespace nimbo::Typing
