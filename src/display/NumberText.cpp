#include "display/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace nimbo::NumberText {

std::string shortest(double value) {
    // Two layouts of the same arrangement must compare equal, so -0 and 0 are one place.
    if (value == 0) return "0.0";
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    // Plain to_chars would pick "1e+05" for 100000, which reads badly in a layout.
    double magnitude = std::fabs(value);
    bool plain = magnitude >= 1e-4 && magnitude < 1e16;
    std::array<char, 64> buffer{};
    auto format = plain ? std::chars_format::fixed : std::chars_format::scientific;
    auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format).ptr;
    std::string text(buffer.data(), end);
    if (plain && text.find('.') == std::string::npos) text += ".0";
    return text;
}

std::string truncated(double value) {
    if (!std::isfinite(value)) return "0";
    // Converting a double beyond the integer range is undefined, so clamp first.
    constexpr double kLimit = 9.0e18;
    double clamped = std::fmax(-kLimit, std::fmin(kLimit, value));
    return std::to_string(static_cast<long long>(clamped));
}

std::string sizeAt(const Rect& rect) {
    return truncated(rect.size.width) + "x" + truncated(rect.size.height) + " at " + truncated(rect.origin.x) + "," +
           truncated(rect.origin.y);
}

}  // namespace nimbo::NumberText
