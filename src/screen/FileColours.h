#pragma once
// What a small rendering of a picture shows: how much of it is see-through
// and which colours cover most of the rest.
#include "platform/Json.h"
#include "platform/MediaFacts.h"

namespace nimbo::FileFacts {

struct Colours {
    double transparentShare = 0;
    bool cornersTransparent = false;
    Json colors = Json::array();  // "#RRGGBB", most frequent first, at most 4
};

// Absent when the picture's pixels don't match its size.
std::optional<Colours> colours(const platform::Thumbnail& picture);

}  // namespace nimbo::FileFacts
