#pragma once
// Text helpers that need Unicode's view of characters.
#include <string>

namespace nimbo::Text {

// Removes white space and line ends (Unicode's White_Space) from both ends.
std::string trimmed(const std::string& text);

}  // namespace nimbo::Text
