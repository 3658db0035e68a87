#include "screen/Fit.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "base/Text.h"
#include "screen/Rects.h"
#include "screen/TextRules.h"

namespace nimbo::Elements {

namespace {

// Too few pairs to say anything: the frames are taken as they are.
constexpr size_t kLittleEvidence = 2;
constexpr double kAgreeing = 0.7;
constexpr size_t kPairsToFit = 6;
constexpr double kSlack = 4;

double mean(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

std::vector<Pair> uniquePairs(const std::vector<Node>& nodes, const std::vector<Line>& lines, bool tight) {
    std::vector<std::string> lineTexts;
    std::map<std::string, int> lineCounts;
    for (const auto& line : lines) ++lineCounts[lineTexts.emplace_back(norm(line.text))];
    std::map<std::string, std::pair<int, size_t>> names;  // count, last index
    for (size_t i = 0; i < nodes.size(); ++i) {
        auto& seen = names[norm(nodes[i].name)];
        ++seen.first;
        seen.second = i;
    }
    std::vector<Pair> pairs;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto& text = lineTexts[i];
        if (Text::characterCount(text) < 3 || lineCounts[text] != 1) continue;
        auto named = names.find(text);
        if (named == names.end() || named->second.first != 1) continue;
        const auto& node = nodes[named->second.second].rect.size;
        const auto& line = lines[i].rect.size;
        if (tight && (node.width > 2.5 * line.width + 30 || node.height > 2.5 * line.height + 8)) continue;
        pairs.push_back({named->second.second, i});
    }
    return pairs;
}

std::pair<size_t, double> agreement(const std::vector<Node>& nodes, const std::vector<Line>& lines) {
    auto pairs = uniquePairs(nodes, lines, false);
    if (pairs.empty()) return {0, 0};
    auto holding = std::count_if(pairs.begin(), pairs.end(), [&](const Pair& pair) {
        return Rects::contains(Rects::grown(nodes[pair.node].rect, kSlack), Rects::centre(lines[pair.line].rect));
    });
    return {pairs.size(), static_cast<double>(holding) / static_cast<double>(pairs.size())};
}

std::pair<double, double> axis(const std::vector<double>& from, const std::vector<double>& to, double extent) {
    if (from.empty()) return {1, 0};
    auto [low, high] = std::minmax_element(from.begin(), from.end());
    if (*high - *low >= 0.25 * extent) {
        double meanFrom = mean(from);
        double meanTo = mean(to);
        double covariance = 0;
        double variance = 0;
        for (size_t i = 0; i < from.size(); ++i) {
            covariance += (from[i] - meanFrom) * (to[i] - meanTo);
            variance += (from[i] - meanFrom) * (from[i] - meanFrom);
        }
        covariance /= static_cast<double>(from.size());
        variance /= static_cast<double>(from.size());
        double scale = variance <= 0.000001 ? 1 : covariance / variance;
        return {scale, meanTo - scale * meanFrom};
    }
    // Too little spread to tell a scale: only the shift is believable.
    std::vector<double> shifts;
    for (size_t i = 0; i < from.size(); ++i) shifts.push_back(to[i] - from[i]);
    return {1, median(std::move(shifts))};
}

std::optional<Correction> fit(const std::vector<Node>& nodes, const std::vector<Line>& lines, const Rect& frame) {
    auto pairs = uniquePairs(nodes, lines, true);
    std::vector<Pair> labels;
    for (const auto& pair : pairs) {
        const auto& role = nodes[pair.node].role;
        if (role == "AXStaticText" || role == "AXHeading") labels.push_back(pair);
    }
    // Labels hug their text; buttons and fields have padding that blurs the fit.
    if (labels.size() >= kPairsToFit) pairs = std::move(labels);
    if (pairs.size() < kPairsToFit) return std::nullopt;
    std::vector<double> fromX, toX, fromY, toY;
    for (const auto& pair : pairs) {
        auto node = Rects::centre(nodes[pair.node].rect);
        auto line = Rects::centre(lines[pair.line].rect);
        fromX.push_back(node.x);
        toX.push_back(line.x);
        fromY.push_back(node.y);
        toY.push_back(line.y);
    }
    auto [sx, ox] = axis(fromX, toX, frame.size.width);
    auto [sy, oy] = axis(fromY, toY, frame.size.height);
    return Correction{sx, ox, sy, oy};
}

std::vector<Node> onScreen(const Window& window, const std::vector<Line>& lines) {
    if (window.trusted) return window.nodes;
    auto [pairs, share] = agreement(window.nodes, lines);
    if (pairs <= kLittleEvidence || share >= kAgreeing) return window.nodes;
    auto correction = fit(window.nodes, lines, window.frame);
    if (!correction) return {};
    auto corrected = window.nodes;
    for (auto& node : corrected) {
        auto& r = node.rect;
        r = {{correction->ox + correction->sx * r.origin.x, correction->oy + correction->sy * r.origin.y},
             {r.size.width * correction->sx, r.size.height * correction->sy}};
    }
    auto [after, afterShare] = agreement(corrected, lines);
    if (after >= 3 && afterShare >= kAgreeing) return corrected;
    return {};
}

}  // namespace nimbo::Elements
