#pragma once
// The walked controls and the recognised text merged into one numbered list.
#include <map>
#include <string>
#include <vector>

#include "screen/Elements.h"

namespace nimbo::Elements {

struct Assembled {
    // The maps sent to the page, in reading order.
    Json elements = Json::array();
    // What each id stands for, unclipped.
    std::map<std::string, Target> byId;
};

Assembled assemble(const std::vector<Line>& lines, const std::vector<Window>& windows, const Rect& bounds);

}  // namespace nimbo::Elements
