#pragma once
// Text helpers that need Unicode's view of characters.
#include <cstddef>
#include <string>

namespace nimbo::Text {

// Removes white space and line ends (Unicode's White_Space) from both ends.
std::string trimmed(const std::string& text);

// The first `count` user-perceived characters (grapheme clusters) of a text.
std::string prefix(const std::string& text, std::size_t count);

// How many user-perceived characters (grapheme clusters) a text holds.
std::size_t characterCount(const std::string& text);

}  // namespace nimbo::Text
