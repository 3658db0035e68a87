#include "screen/Assemble.h"

#include <algorithm>
#include <cmath>

#include "base/Text.h"
#include "screen/Fit.h"
#include "screen/Rects.h"
#include "screen/Roles.h"
#include "screen/TextRules.h"

namespace nimbo::Elements {

namespace {

constexpr size_t kMostTargets = 250;
constexpr size_t kLongestName = 120;
constexpr double kRowHeight = 12;
constexpr double kSlack = 4;

bool insideAny(const std::vector<Rect>& frames, Point point) {
    return std::any_of(frames.begin(), frames.end(), [&](const Rect& frame) { return Rects::contains(frame, point); });
}

// Each window's controls, fitted to its own text, minus what windows in front
// of it cover.
std::vector<Node> visibleNodes(const std::vector<Line>& lines, const std::vector<Window>& windows, const Rect& bounds) {
    std::vector<Node> kept;
    std::vector<Rect> earlier;
    for (const auto& window : windows) {
        std::vector<Line> own;
        for (const auto& line : lines) {
            auto centre = Rects::centre(line.rect);
            if (Rects::contains(window.frame, centre) && !insideAny(earlier, centre)) own.push_back(line);
        }
        for (auto& node : onScreen(window, own)) {
            auto centre = Rects::centre(node.rect);
            if (!insideAny(earlier, centre) && Rects::contains(bounds, centre)) kept.push_back(std::move(node));
        }
        earlier.push_back(window.frame);
    }
    return kept;
}

// Controls before static content, the tighter of two first; then a node is
// dropped when a kept one of the same name holds it or sits inside it.
std::vector<Node> withoutDuplicates(std::vector<Node> nodes) {
    std::stable_sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
        bool ai = interactive(a.role);
        bool bi = interactive(b.role);
        if (ai != bi) return ai;
        return Rects::area(a.rect) < Rects::area(b.rect);
    });
    std::vector<Node> kept;
    std::vector<std::string> keptNames;
    for (auto& node : nodes) {
        auto name = norm(node.name);
        bool duplicate = false;
        for (size_t i = 0; i < kept.size() && !duplicate; ++i) {
            duplicate = keptNames[i] == name && (Rects::contains(kept[i].rect, Rects::centre(node.rect)) ||
                                                 Rects::contains(node.rect, Rects::centre(kept[i].rect)));
        }
        if (duplicate) continue;
        keptNames.push_back(std::move(name));
        kept.push_back(std::move(node));
    }
    return kept;
}

bool explained(const Line& line, const std::vector<Node>& nodes) {
    auto centre = Rects::centre(line.rect);
    return std::any_of(nodes.begin(), nodes.end(), [&](const Node& node) {
        return Rects::contains(Rects::grown(node.rect, kSlack), centre) && same(node.name, line.text);
    });
}

}  // namespace

Assembled assemble(const std::vector<Line>& lines, const std::vector<Window>& windows, const Rect& bounds) {
    auto nodes = withoutDuplicates(visibleNodes(lines, windows, bounds));
    std::vector<Target> targets;
    targets.reserve(nodes.size() + lines.size());
    for (const auto& node : nodes) {
        targets.push_back({node.ax, node.axFrame, node.rect, word(node.role, node.subrole), node.name});
    }
    for (const auto& line : lines) {
        if (!explained(line, nodes)) targets.push_back({nullptr, std::nullopt, line.rect, "text", line.text});
    }
    // Controls come first, so the cap only ever drops text.
    if (targets.size() > kMostTargets) targets.resize(kMostTargets);
    auto row = [](const Target& target) { return std::round(Rects::centre(target.rect).y / kRowHeight); };
    std::stable_sort(targets.begin(), targets.end(), [&](const Target& a, const Target& b) {
        if (row(a) != row(b)) return row(a) < row(b);
        return a.rect.minX() < b.rect.minX();
    });

    Assembled out;
    for (size_t i = 0; i < targets.size(); ++i) {
        auto visible = Rects::intersection(targets[i].rect, bounds);
        if (!visible) continue;
        auto id = "e" + std::to_string(i + 1);
        out.elements.push_back({
            {"id", id},
            {"role", targets[i].role},
            {"name", Text::prefix(targets[i].name, kLongestName)},
            {"x", (visible->minX() - bounds.minX()) / bounds.size.width},
            {"y", (visible->minY() - bounds.minY()) / bounds.size.height},
            {"w", visible->size.width / bounds.size.width},
            {"h", visible->size.height / bounds.size.height},
        });
        out.byId[id] = std::move(targets[i]);
    }
    return out;
}

}  // namespace nimbo::Elements
