#pragma once
// Checking a window's accessibility frames against the text recognised in it,
// and correcting them by a fitted scale and offset when they disagree (a
// zoomed or moved web view reports frames that are off by both).
#include <optional>
#include <utility>
#include <vector>

#include "screen/Elements.h"

namespace nimbo::Elements {

// Indexes of a line and the node it pairs with.
struct Pair {
    size_t node = 0;
    size_t line = 0;
};

// x′ = ox + sx·x, y′ = oy + sy·y.
struct Correction {
    double sx = 1;
    double ox = 0;
    double sy = 1;
    double oy = 0;
};

// Lines whose text occurs once among the lines and once among the node names,
// paired with that node; `tight` also wants the node not much bigger than the line.
std::vector<Pair> uniquePairs(const std::vector<Node>& nodes, const std::vector<Line>& lines, bool tight);
// How many loose pairs there are, and the share whose node holds its line.
std::pair<size_t, double> agreement(const std::vector<Node>& nodes, const std::vector<Line>& lines);
// The scale and offset along one axis taking `from` onto `to`.
std::pair<double, double> axis(const std::vector<double>& from, const std::vector<double>& to, double extent);
// A correction from at least six tight pairs; nothing with fewer.
std::optional<Correction> fit(const std::vector<Node>& nodes, const std::vector<Line>& lines, const Rect& frame);
// The window's nodes as they are, corrected, or none when no correction is believable.
std::vector<Node> onScreen(const Window& window, const std::vector<Line>& lines);

}  // namespace nimbo::Elements
